#!/usr/bin/env bash
# Search and replace from a pair file over one generated folder (FILES files, MEGABYTES MB),
# beside `sed -f` with the same pairs, one sed per file. Prints both best times and their ratio
# (aim: at most 3; the debug file, one entry per line and pair, makes the tool slower).
. "$(dirname "$0")/files_common.sh"
FILES=${FILES:-2000}
MEGABYTES=${MEGABYTES:-100}

"$BENCH" generate "$WORK/folder" "$FILES" "$MEGABYTES" flat
mkdir -p "$WORK/program"
printf 'cat\r\ndog\r\ndog\r\nbird\r\nalpha\r\nomega\r\n' >"$WORK/program/replaceLines.txt"
printf 's/cat/dog/g\ns/dog/bird/g\ns/alpha/omega/g\n' >"$WORK/pairs.sed"
cat "$WORK"/folder/* >/dev/null
sed_all() {
    mkdir -p "$WORK/sed-copies"
    for file in "$WORK"/folder/*; do
        [[ -f $file ]] && sed -f "$WORK/pairs.sed" "$file" >"$WORK/sed-copies/${file##*/}"
    done
}
snp_all() { "$BENCH" snp "$WORK/folder" "$WORK/program"; }

echo "search and replace from file: $FILES files, $MEGABYTES MB, 3 pairs (aim: ratio <= 3)"
race "sed -f" 'rm -rf "$WORK/sed-copies"' sed_all \
     "snp" 'rm -rf "$WORK/folder/copies" "$WORK/program/debug.out"' snp_all
echo "  debug file     $(du -m "$WORK/program/debug.out" | cut -f1) MB"
