#!/usr/bin/env bash
# The scanners by file type beside their peers, whole processes, on each TREE (default:
# /usr/include): `todos --lang auto` beside ripgrep counting the same five markers in the same
# files (hidden and ignored files too, binary files passed over by both), `subs --lang auto` beside
# one `ctags -R` process, and the Classic scans as before.
# Usage: bench/scan_types_bench.sh [TREE...]
. "$(dirname "$0")/common.sh"
quillbox_install_packages universal-ctags
for tree in "${@:-/usr/include}"; do
    find "$tree" -type f -exec cat {} + >/dev/null  # every run starts from a warm cache
    files=$(find "$tree" -type f | wc -l)
    # rg exits with 1 when it finds nothing, which is no failure here.
    race "TODO blocks by file type: $tree, $files files" \
        "quillbox todos --lang auto" : "$QB todos --lang auto $tree" \
        "rg -uu -c -e TODO -e FIXME -e HACK -e XXX -e BUG" : "rg -uu -c -e TODO -e FIXME -e HACK -e XXX -e BUG $tree || [ \$? -eq 1 ]"
    race "declarations by file type: $tree" \
        "quillbox subs --lang auto" : "$QB subs --lang auto $tree" \
        "ctags -R --output-format=json" : "ctags -R --output-format=json -f - $tree"
    race "Classic scans: $tree" \
        "quillbox todos" : "$QB todos $tree" \
        "quillbox subs" : "$QB subs $tree"
done
