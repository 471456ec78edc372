// TODO: swift
/* outer /* inner */ FIXME: nested still */
let s = #"// HACK: raw "quoted" string"#
let t = """
// XXX: multi-line string
"""
let BUG = 1
