#!/usr/bin/env bash
# The scanners by file type beside their peers, whole processes, on each TREE (default:
# /usr/include and the generated multi-language repository, bench/repo_tree.py): `todos --lang auto`
# beside ripgrep counting the same five markers in the same files (hidden and ignored files too,
# binary files passed over by both), `subs --lang auto` beside one `ctags -R` process, and the
# Classic scans as before. In a git work tree also the walks that leave out what git ignores:
# `todos --gitignore` looking for a marker that no file holds beside `rg --files` (which lists
# the same files without reading them) and beside ripgrep looking for it (which reads them), and
# `todos --lang auto --gitignore` beside ripgrep's own git-aware count of the five markers.
# Usage: bench/scan_types_bench.sh [TREE...]
. "$(dirname "$0")/common.sh"
quillbox_install_packages universal-ctags git
trees=("$@")
if [[ ${#trees[@]} -eq 0 ]]; then
    repo=${REPO:-/tmp/quillbox-repo-bench}
    repo_tree "$repo"
    trees=(/usr/include "$repo")
fi
for tree in "${trees[@]}"; do
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
    if [[ -d $tree/.git ]]; then
        race "walks that leave out what git ignores: $tree, $(cd "$tree" && git ls-files -co --exclude-standard | wc -l) files git lists" \
            "quillbox todos --gitignore (no marker found)" : "$QB todos --gitignore --lang auto --marker QBNOMARKER $tree" \
            "rg --files" : "rg --files $tree" \
            "rg -n QBNOMARKER" : "rg -n QBNOMARKER $tree || [ \$? -eq 1 ]"
        race "TODO blocks by file type, git-aware: $tree" \
            "quillbox todos --lang auto --gitignore" : "$QB todos --lang auto --gitignore $tree" \
            "rg -c -e TODO -e FIXME -e HACK -e XXX -e BUG" : "rg -c -e TODO -e FIXME -e HACK -e XXX -e BUG $tree"
    fi
done
