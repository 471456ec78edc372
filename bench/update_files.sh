#!/usr/bin/env bash
# Update Files over FOLDERS folders (2,000 by default) of one KILOBYTES-sized report.txt each:
# every one is backed up, its backup made durable (file, then folder), and then replaced. Prints
# the best time of RUNS runs, each on a fresh tree, and the time per file.
. "$(dirname "$0")/files_common.sh"
FOLDERS=${FOLDERS:-2000}
KILOBYTES=${KILOBYTES:-16}

fresh_tree() { rm -rf "$WORK/t"; "$BENCH" targets "$WORK/t" "$FOLDERS" "$KILOBYTES"; }
update_tree() { "$BENCH" update "$WORK/t/new/report.txt" "$WORK/t/tree"; }

best=""
for _ in $(seq "$RUNS"); do
    took=$(time_once fresh_tree update_tree)
    if [[ -z $best || $took -lt $best ]]; then best=$took; fi
done
awk -v t="$best" -v n="$FOLDERS" -v kb="$KILOBYTES" -v runs="$RUNS" 'BEGIN {
    printf "update files: %d files of %d KB replaced, each backed up first\n  best of %d: %.3f s (%.2f ms a file)\n",
           n, kb, runs, t / 1e9, t / 1e6 / n }'
