#!/usr/bin/env bash
# Times Quillbox's commands beside their peers as whole processes and prints one table: for each
# row the median of PAIRS runs of each side, run in alternation so both see the same load, the
# ratio (Quillbox / peer: below 1 is faster) and, for the single-file rows, the peak memory of
# each side (/usr/bin/time). The trees and files are made once under DATA and kept.
#
# Usage: bench/table.sh [ROW...]   (no ROW: every row)
#   scan todo          generated tree (20,000 files, 200 MB): declarations / TODO beside ripgrep
#   realscan realtodo  /usr/include (this machine's -dev headers) beside ripgrep
#   realtodoc          todos /usr/include beside rg -uuu -c TODO: (the start-up and walk row)
#   autotodo autosubs  /usr/include by file type: todos --lang auto beside rg -n TODO, subs --lang
#                      auto beside one ctags -R process
#   bigtodo bigscan    one 1 GB file beside grep -c / ripgrep, with peak memory
#   bigblock           one 1 GB TODO block (every line holds an apostrophe): the text report to
#                      standard output and to --output, beside grep -c, with peak memory
#   repotodo reposubs  generated multi-language git repository (repo_tree.py: 20,000 files, 4,000
#                      more ignored): TODO blocks and declarations by file type beside ripgrep
#                      (every file, ignored ones too) and one ctags -R
#   gitwalk gittodo    the same repository, leaving out what git ignores: a scan that finds nothing
#                      beside rg --files, and TODO blocks by file type beside ripgrep's default
#   erase perl         erase and spew, 2,000 files / 105 MB, beside cp -r and a perl script
#   erase4 erase16     the same tree 4x and 16x beside cp -r
#   floor              erase beside reading every file and writing it once (copy_floor.cpp)
#   longline           erase of a file that is one 300 MB line beside cp, with peak memory
#   replace            pair replacement, 2,000 files, beside sd and sed -f
#   startup window     `quillbox hex2dec 1F` as a process beside `rg --version`; the window until
#                      the chooser is painted
# Environment: QB_UNDER_TEST (another quillbox binary to time), DATA (where the data is kept),
# PAIRS (7).
. "$(dirname "$0")/common.sh"
DATA=${DATA:-/tmp/quillbox-bench}
PAIRS=${PAIRS:-7}
QB=${QB_UNDER_TEST:-$QB}  # another build (the one before a change, say) may be timed instead
mkdir -p "$DATA"
quillbox_install_packages perl time xvfb xauth git universal-ctags
c++ -std=c++20 -O2 -o "$BUILD/copy_floor" "$ROOT/bench/copy_floor.cpp"
# The declaration patterns of the scanner, case ignored, for ripgrep.
SUBS='^[[:space:]]*(public sub|private sub|public function|private function|public readonly property|public property|shared sub)|^imports'

# --- data ----------------------------------------------------------------------------------------
scan_tree() {
    if [[ ! -f $DATA/scan-tree/.complete ]]; then
        rm -rf "$DATA/scan-tree"
        python3 "$ROOT/bench/scan_tree.py" "$DATA/scan-tree" >/dev/null
        touch "$DATA/scan-tree/.complete"
    fi
}
big_file() {  # the generated tree's text, over and over, to 1 GB
    scan_tree
    [[ -f $DATA/big.txt ]] && return
    find "$DATA/scan-tree" -type f ! -name .complete -print0 | sort -z >"$DATA/list"
    for _ in 1 2 3 4 5 6; do xargs -0 cat <"$DATA/list"; done | head -c 1000000000 >"$DATA/big.tmp" || true
    rm -f "$DATA/list"
    mv "$DATA/big.tmp" "$DATA/big.txt"
}
block_file() {  # one TODO block of 1 GB: every line after the marker's holds an apostrophe
    [[ -f $DATA/block.bas ]] && return
    { printf "' TODO: the one block\r\n"; yes "' a comment line that goes on, as comments in old code do" | head -c 1000000000; } >"$DATA/block.tmp" || true
    mv "$DATA/block.tmp" "$DATA/block.bas"
}
erase_tree() {  # erase_tree SCALE: 2,000 x SCALE files, 105 MB x SCALE
    local dir=$DATA/erase-$1
    if [[ ! -f $dir/.complete ]]; then
        rm -rf "$dir"
        python3 "$ROOT/bench/files_tree.py" "$dir/tree" $((2000 * $1)) $((105 * $1)) >/dev/null
        touch "$dir/.complete"
    fi
}
chunk_file() { [[ -f $DATA/chunk.txt ]] || python3 "$ROOT/bench/files_tree.py" --chunk >"$DATA/chunk.txt"; }
long_line() {
    [[ -f $DATA/long/line.txt ]] && return
    mkdir -p "$DATA/long"
    { printf 'first line\r\n'; head -c 300000000 /dev/zero | tr '\0' 'x'; printf '\r\n<SIMPLERENDERER> not a chunk\r\nlast line\r\n'; } >"$DATA/long/line.tmp"
    mv "$DATA/long/line.tmp" "$DATA/long/line.txt"
}
replace_folder() {
    local dir=$DATA/replace
    if [[ ! -f $dir/.complete ]]; then
        rm -rf "$dir"
        python3 "$ROOT/bench/files_tree.py" "$dir/folder" 2000 100 --flat >/dev/null
        printf 'cat\r\ndog\r\ndog\r\nbird\r\nalpha\r\nomega\r\n' >"$dir/pairs.txt"
        printf 's/cat/dog/g\ns/dog/bird/g\ns/alpha/omega/g\n' >"$dir/pairs.sed"
        touch "$dir/.complete"
    fi
}
warm() { find "$@" -type f -print0 | xargs -0 cat >/dev/null; }

# --- timing --------------------------------------------------------------------------------------
# seconds PREPARE COMMAND: time_once (common.sh) in seconds.
seconds() { time_once "$1" "$2" | awk '{ printf "%.6f\n", $1 / 1e9 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_mb() {  # peak resident memory of COMMAND in MiB
    eval "$1"
    /usr/bin/time -f '%M' -o "$DATA/.peak" bash -c "$2" >"$WORK/stdout" 2>&1 || true
    awk '{ printf "%.0f", $1 / 1024 }' "$DATA/.peak"
}

printf '| workload | peer | Quillbox (median) | peer (median) | ratio | peak memory Quillbox / peer |\n'
printf '|---|---|---|---|---|---|\n'
# pair WORKLOAD PEER PREP_Q CMD_Q PREP_P CMD_P [memory]: PAIRS alternating runs, one table row.
pair() {
    local q=() p=()
    for _ in $(seq "$PAIRS"); do
        q+=("$(seconds "$3" "$4")")
        p+=("$(seconds "$5" "$6")")
    done
    local mq mp memory=""
    mq=$(printf '%s\n' "${q[@]}" | median)
    mp=$(printf '%s\n' "${p[@]}" | median)
    if [[ ${7:-} == memory ]]; then
        memory="$(peak_mb "$3" "$4") MiB / $(peak_mb "$5" "$6") MiB"
    fi
    awk -v w="$1" -v n="$2" -v a="$mq" -v b="$mp" -v m="$memory" \
        'BEGIN { printf "| %s | %s | %.3f s | %.3f s | %.2f | %s |\n", w, n, a, b, a / b, m }'
}

# --- rows ----------------------------------------------------------------------------------------
# grep and ripgrep end with status 1 when nothing matched: that is no failure here.
found() { echo "$* || test \$? -eq 1"; }
# The scans print every found line; so does ripgrep (-n: with its line number).
row_scan() {
    scan_tree; warm "$DATA/scan-tree"
    pair "declaration scan, generated tree (20,000 files, 200 MB)" "rg -nuui" : "$QB subs $DATA/scan-tree" \
         : "$(found rg -nuui "'$SUBS'" "$DATA/scan-tree")"
}
row_todo() {
    scan_tree; warm "$DATA/scan-tree"
    pair "TODO scan, same tree" "rg -nuu" : "$QB todos $DATA/scan-tree" : "$(found rg -nuu "'TODO:'" "$DATA/scan-tree")"
}
row_realscan() {
    warm /usr/include
    pair "declaration scan, /usr/include ($(find /usr/include -type f | wc -l) files, $(du -sm /usr/include | cut -f1) MB)" "rg -nuui" \
         : "$QB subs /usr/include" : "$(found rg -nuui "'$SUBS'" /usr/include)"
}
row_realtodo() {
    warm /usr/include
    pair "TODO scan, /usr/include" "rg -nuu" : "$QB todos /usr/include" : "$(found rg -nuu "'TODO:'" /usr/include)"
}
row_realtodoc() {
    warm /usr/include
    pair "TODO scan, /usr/include, ripgrep counting" "rg -uuu -c" : "$QB todos /usr/include" \
         : "$(found rg -uuu -c "'TODO:'" /usr/include)"
}
row_autotodo() {
    warm /usr/include
    pair "TODO blocks by file type, /usr/include" "rg -n TODO" : "$QB todos --lang auto /usr/include" \
         : "$(found rg -n TODO /usr/include)"
}
row_autosubs() {
    quillbox_install_packages universal-ctags
    warm /usr/include
    pair "declarations by file type, /usr/include" "ctags -R --output-format=json" : "$QB subs --lang auto /usr/include" \
         : "ctags -R --output-format=json -f - /usr/include"
}
row_bigblock() {
    block_file; warm "$DATA/block.bas"
    pair "TODO scan, one 1 GB block, report to standard output" "grep -c" : "$QB todos $DATA/block.bas" \
         : "$(found grep -c "'TODO:'" "$DATA/block.bas")" memory
    pair "TODO scan, one 1 GB block, report to --output" "grep -c" "rm -f $DATA/block.txt" \
         "$QB todos $DATA/block.bas --output $DATA/block.txt" : "$(found grep -c "'TODO:'" "$DATA/block.bas")" memory
    rm -f "$DATA/block.txt"
}
row_bigtodo() {
    big_file; warm "$DATA/big.txt"
    pair "TODO scan, one 1 GB file" "grep -c" : "$QB todos $DATA/big.txt" : "$(found grep -c "'TODO:'" "$DATA/big.txt")" memory
}
row_bigscan() {
    big_file; warm "$DATA/big.txt"
    pair "declaration scan, one 1 GB file" "rg -ni" : "$QB subs $DATA/big.txt" : "$(found rg -ni "'$SUBS'" "$DATA/big.txt")" memory
}
MARKERS="-e TODO -e FIXME -e HACK -e XXX -e BUG"
row_repotodo() {
    repo_tree "$DATA/repo"; warm "$DATA/repo"
    pair "TODO blocks by file type, generated repository (24,000 files)" "rg -nuu (5 markers)" \
         : "$QB todos --lang auto $DATA/repo" : "$(found rg -nuu $MARKERS "$DATA/repo")"
}
row_reposubs() {
    repo_tree "$DATA/repo"; warm "$DATA/repo"
    pair "declarations by file type, same repository" "ctags -R (one process)" \
         : "$QB subs --lang auto $DATA/repo" : "ctags -R --output-format=json -f - $DATA/repo"
}
row_gitwalk() {
    repo_tree "$DATA/repo"; warm "$DATA/repo"
    pair "walk leaving out what git ignores (todos --gitignore, no marker found)" "rg --files" \
         : "$QB todos --gitignore --lang auto --marker QBNOMARKER $DATA/repo" : "rg --files $DATA/repo"
}
row_gittodo() {
    repo_tree "$DATA/repo"; warm "$DATA/repo"
    pair "TODO blocks by file type, leaving out what git ignores" "rg -n (5 markers, its default)" \
         : "$QB todos --lang auto --gitignore $DATA/repo" : "$(found rg -n $MARKERS "$DATA/repo")"
}
erase_command() { echo "$QB erase $1 --chunk $DATA/chunk.txt --recursive"; }
erase_row() {  # erase_row SCALE LABEL
    erase_tree "$1"; chunk_file; local dir=$DATA/erase-$1; warm "$dir/tree"
    pair "erase and spew, $2" "cp -r --reflink=never" "rm -rf $dir/tree/copies" "$(erase_command "$dir/tree")" \
         "rm -rf $dir/cp-copy" "cp -r --reflink=never $dir/tree $dir/cp-copy"
    rm -rf "$dir/cp-copy" "$dir/tree/copies"
}
row_erase() { erase_row 1 "2,000 files / 105 MB"; }
row_erase4() { erase_row 4 "4x (8,000 files / 420 MB)"; }
row_erase16() { erase_row 16 "16x (32,000 files / 1.7 GB)"; }
row_perl() {
    erase_tree 1; chunk_file; local dir=$DATA/erase-1; warm "$dir/tree"
    pair "erase and spew, 2,000 files" "perl script" "rm -rf $dir/tree/copies" "$(erase_command "$dir/tree")" \
         "rm -rf $dir/perl-copies" "perl $ROOT/bench/erase_chunks.pl $dir/tree $dir/perl-copies"
    rm -rf "$dir/perl-copies" "$dir/tree/copies"
}
row_floor() {
    erase_tree 1; chunk_file; local dir=$DATA/erase-1; warm "$dir/tree"
    pair "erase and spew, 2,000 files" "copy floor" "rm -rf $dir/tree/copies" "$(erase_command "$dir/tree")" \
         "rm -rf $dir/floor" "$BUILD/copy_floor $dir/tree $dir/floor"
    rm -rf "$dir/floor" "$dir/tree/copies"
}
row_longline() {
    long_line; chunk_file; warm "$DATA/long/line.txt"
    pair "erase and spew, one 300 MB line" "cp" "rm -rf $DATA/long/copies" "$(erase_command "$DATA/long")" \
         "rm -f $DATA/line-copy.txt" "cp --reflink=never $DATA/long/line.txt $DATA/line-copy.txt" memory
    rm -rf "$DATA/long/copies" "$DATA/line-copy.txt"
}
row_replace() {
    replace_folder; local dir=$DATA/replace; warm "$dir/folder"
    local qb="$QB replace $dir/folder --pairs $dir/pairs.txt --debug $dir/debug.out"
    local sd_all="mkdir -p $dir/sd; for f in $dir/folder/*; do [[ -f \$f ]] && sd -s cat dog <\"\$f\" | sd -s dog bird | sd -s alpha omega >\"$dir/sd/\${f##*/}\"; done"
    local sed_all="mkdir -p $dir/sed; for f in $dir/folder/*; do [[ -f \$f ]] && sed -f $dir/pairs.sed \"\$f\" >\"$dir/sed/\${f##*/}\"; done"
    pair "pair replacement, 2,000 files" "sd, three per file" "rm -rf $dir/folder/copies $dir/debug.out" "$qb" "rm -rf $dir/sd" "$sd_all"
    pair "pair replacement, 2,000 files" "sed -f, one per file" "rm -rf $dir/folder/copies $dir/debug.out" "$qb" "rm -rf $dir/sed" "$sed_all"
    rm -rf "$dir/sd" "$dir/sed" "$dir/folder/copies" "$dir/debug.out"
}
row_startup() {  # a whole small command beside ripgrep's own start (target: at most 1.5 times)
    PAIRS=$((PAIRS * 3)) pair "start-up: one small command" "rg --version" : "$QB hex2dec 1F" : "rg --version"
}
row_window() {  # from just before the start to the chooser's first paint, under a virtual display
    local t=()
    for _ in $(seq "$PAIRS"); do
        t+=("$(QB="$QB" xvfb-run -a bash -c 'start=$EPOCHREALTIME; shown=$(QUILLBOX_STARTUP_PROBE=1 QUILLBOX_DATA_DIR=$(mktemp -d) "$QB" 2>&1 >/dev/null | grep -m1 "^shown " | cut -d" " -f2); awk -v s="$start" -v e="$shown" "BEGIN { printf \"%.6f\", e - s }"')")
    done
    printf '| start-up: window until the chooser is painted (target 300 ms) | | %.1f ms | | | |\n' \
        "$(printf '%s\n' "${t[@]}" | median | awk '{ print $1 * 1000 }')"
}

rows=("$@")
[[ ${#rows[@]} -gt 0 ]] || rows=(scan todo realscan realtodo realtodoc autotodo autosubs bigtodo bigscan bigblock repotodo reposubs gitwalk gittodo erase perl erase4 erase16 floor replace longline startup window)
for row in "${rows[@]}"; do "row_$row"; done
