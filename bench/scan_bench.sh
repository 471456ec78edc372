#!/usr/bin/env bash
# The scanners as commands beside grep -r and ripgrep on one source tree (about 20,000 files and
# 200 MB, written once by scan_tree.py and kept for later runs), whole processes, binary files
# passed over by all. Usage: bench/scan_bench.sh [TREE]
. "$(dirname "$0")/common.sh"
tree=${1:-/tmp/quillbox-scan-bench}
if [[ ! -f "$tree/.complete" ]]; then
    rm -rf "$tree"
    python3 "$ROOT/bench/scan_tree.py" "$tree"
    touch "$tree/.complete"
fi
find "$tree" -type f -exec cat {} + >/dev/null  # every run starts from a warm cache

# The declaration patterns of the scanner, case ignored, for grep and ripgrep.
subs='^[[:space:]]*(public sub|private sub|public function|private function|public readonly property|public property|shared sub)|^imports'
race "TODO scan: $(find "$tree" -type f | wc -l) files, $(du -sm "$tree" | cut -f1) MB" \
    "quillbox todos" : "$QB todos $tree" \
    "grep -rnI 'TODO:'" : "grep -rnI 'TODO:' $tree" \
    "rg -nuu 'TODO:'" : "rg -nuu 'TODO:' $tree"
race "declaration scan" \
    "quillbox subs" : "$QB subs $tree" \
    "grep -rnIiE (8 patterns)" : "grep -rnIiE '$subs' $tree" \
    "rg -nuui (8 patterns)" : "rg -nuui '$subs' $tree"
