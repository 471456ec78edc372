#!/bin/sh
# TODO: shell
n=${#list} # FIXME: after a length
echo "# HACK: string"
echo 'a # XXX: single quoted'
echo a#b # BUG: after a word with a hash
