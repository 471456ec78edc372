#!/usr/bin/env bash
# Erase and spew over a generated tree (FILES files, MEGABYTES MB, some chunks in them), beside
# `cp -r` of the same tree. Prints both best times and their ratio (target: at most 2.0).
. "$(dirname "$0")/files_common.sh"
FILES=${FILES:-2000}
MEGABYTES=${MEGABYTES:-100}

"$BENCH" generate "$WORK/tree" "$FILES" "$MEGABYTES"
find "$WORK/tree" -type f -exec cat {} + >/dev/null  # start both from a warm cache
copy_tree() { cp -r --reflink=never "$WORK/tree" "$WORK/cp-copy"; }
erase_tree() { "$BENCH" erase "$WORK/tree"; }

echo "erase and spew: $FILES files, $MEGABYTES MB (target: ratio <= 2.0)"
race "cp -r" 'rm -rf "$WORK/cp-copy"' copy_tree \
     "erase chunks" 'rm -rf "$WORK/tree/copies"' erase_tree
