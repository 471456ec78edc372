#!/usr/bin/env bash
# Editing originals in place: `replace --diff` on one 10 MB file with scattered changes and on the
# FILES-file tree, beside `git diff --no-index` of the originals and their edited copies (made
# beforehand, untimed); `replace --apply` (backups, manifest and fsyncs included) beside `sd`
# editing in place, three pairs per file.
. "$(dirname "$0")/common.sh"
FILES=${FILES:-2000}
MEGABYTES=${MEGABYTES:-100}

# One 10 MB file whose every 1000th line holds a word that the pair changes.
python3 "$ROOT/bench/files_tree.py" "$WORK/big" 1 10 --flat
big=$(ls "$WORK"/big/*)
awk 'NR % 1000 == 0 { $0 = $0 "zebra" } { print }' "$big" >"$WORK/big.tmp" && mv "$WORK/big.tmp" "$big"
printf 'zebra\r\nokapi\r\n' >"$WORK/zebra.txt"
mkdir -p "$WORK/big-edited" && sed 's/zebra/okapi/g' "$big" >"$WORK/big-edited/${big##*/}"
race "replace --diff, one 10 MB file, a change every 1000 lines" \
    "quillbox replace --diff" ':' "$QB replace $WORK/big --pairs $WORK/zebra.txt --debug $WORK/debug.out --diff" \
    "git diff --no-index" ':' "git diff --no-index $WORK/big $WORK/big-edited || [ \$? = 1 ]"

python3 "$ROOT/bench/files_tree.py" "$WORK/pristine" "$FILES" "$MEGABYTES" --flat
printf 'cat\r\ndog\r\ndog\r\nbird\r\nalpha\r\nomega\r\n' >"$WORK/pairs.txt"
mkdir -p "$WORK/edited"
for file in "$WORK"/pristine/*; do
    sed -e 's/cat/dog/g' -e 's/dog/bird/g' -e 's/alpha/omega/g' "$file" >"$WORK/edited/${file##*/}"
done
cp -r "$WORK/pristine" "$WORK/folder"
race "replace --diff: $FILES files, $MEGABYTES MB, 3 pairs" \
    "quillbox replace --diff" ':' "$QB replace $WORK/folder --pairs $WORK/pairs.txt --debug $WORK/debug.out --diff" \
    "git diff --no-index of the two trees" ':' "git diff --no-index $WORK/pristine $WORK/edited || [ \$? = 1 ]"

fresh() { rm -rf "$WORK/folder" "$WORK/data" && cp -r "$WORK/pristine" "$WORK/folder"; }
sd_all() {
    for file in "$WORK"/folder/*; do
        [[ -f $file ]] && sd -s cat dog "$file" && sd -s dog bird "$file" && sd -s alpha omega "$file"
    done
}
race "replace --apply: $FILES files, $MEGABYTES MB, 3 pairs, in place" \
    "quillbox replace --apply" fresh \
        "QUILLBOX_DATA_DIR=$WORK/data $QB replace $WORK/folder --pairs $WORK/pairs.txt --debug $WORK/debug.out --apply" \
    "sd, three per file, in place" fresh sd_all
