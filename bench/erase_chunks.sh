#!/usr/bin/env bash
# Erase and spew as a command over a generated tree (FILES files, MEGABYTES MB, chunks in some),
# beside `cp -r --reflink=never` of the same tree: both read every file and write a copy of it.
. "$(dirname "$0")/common.sh"
FILES=${FILES:-2000}
MEGABYTES=${MEGABYTES:-100}
python3 "$ROOT/bench/files_tree.py" "$WORK/tree" "$FILES" "$MEGABYTES"
python3 "$ROOT/bench/files_tree.py" --chunk >"$WORK/chunk.txt"
find "$WORK/tree" -type f -exec cat {} + >/dev/null

race "erase and spew: $FILES files, $MEGABYTES MB" \
    "quillbox erase --recursive" 'rm -rf "$WORK/tree/copies"' "$QB erase $WORK/tree --chunk $WORK/chunk.txt --recursive" \
    "cp -r --reflink=never" 'rm -rf "$WORK/cp-copy"' "cp -r --reflink=never $WORK/tree $WORK/cp-copy"
