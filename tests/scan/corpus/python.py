#!/usr/bin/env python3
# TODO: python
# goes on
def f():
    """FIXME: in a docstring, not a comment"""
    s = '# HACK: string'
    XXX = 1  # BUG: trailing
    t = r"\"# TODO raw"
    return XXX
