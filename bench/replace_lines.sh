#!/usr/bin/env bash
# Search and replace from a pair file as a command over one generated folder (FILES files,
# MEGABYTES MB), beside `sed -f` and `sd` with the same three pairs, one process (sed) or one
# pipeline (sd) per file writing a copy. The command also appends its debug trace (one entry per
# line and pair, as the window does), which the others do not write.
. "$(dirname "$0")/common.sh"
FILES=${FILES:-2000}
MEGABYTES=${MEGABYTES:-100}
python3 "$ROOT/bench/files_tree.py" "$WORK/folder" "$FILES" "$MEGABYTES" --flat
printf 'cat\r\ndog\r\ndog\r\nbird\r\nalpha\r\nomega\r\n' >"$WORK/pairs.txt"
printf 's/cat/dog/g\ns/dog/bird/g\ns/alpha/omega/g\n' >"$WORK/pairs.sed"
cat "$WORK"/folder/* >/dev/null
sed_all() {
    mkdir -p "$WORK/sed-copies"
    for file in "$WORK"/folder/*; do
        [[ -f $file ]] && sed -f "$WORK/pairs.sed" "$file" >"$WORK/sed-copies/${file##*/}"
    done
}
sd_all() {
    mkdir -p "$WORK/sd-copies"
    for file in "$WORK"/folder/*; do
        [[ -f $file ]] && sd -s cat dog <"$file" | sd -s dog bird | sd -s alpha omega >"$WORK/sd-copies/${file##*/}"
    done
}

race "search and replace from a pair file: $FILES files, $MEGABYTES MB, 3 pairs" \
    "quillbox replace" 'rm -rf "$WORK/folder/copies" "$WORK/debug.out"' \
        "$QB replace $WORK/folder --pairs $WORK/pairs.txt --debug $WORK/debug.out" \
    "sed -f, one per file" 'rm -rf "$WORK/sed-copies"' sed_all \
    "sd, three per file" 'rm -rf "$WORK/sd-copies"' sd_all
echo "  (quillbox's debug trace: $(du -m "$WORK/debug.out" | cut -f1) MB)"
