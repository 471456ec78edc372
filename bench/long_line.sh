#!/usr/bin/env bash
# Peak memory on one MEGABYTES-long line (300 MiB by default) without a line break, for the tools
# that read lines: erase and spew, combine (beside a one-line file, and beside itself, where the
# output line is twice as long) and the chunk repeater (whose default template holds the line
# twice). Prints each command's peak resident memory and its ratio to the line (aim: about 2).
. "$(dirname "$0")/common.sh"
MEGABYTES=${MEGABYTES:-300}
quillbox_install_packages time
export QUILLBOX_DATA_DIR=$WORK  # the built-in template, not a stored one

mkdir -p "$WORK/long"
head -c $((MEGABYTES << 20)) /dev/zero | tr '\0' 'w' >"$WORK/long/line.txt"
printf 'short\r\n' >"$WORK/short.txt"
python3 "$ROOT/bench/files_tree.py" --chunk >"$WORK/chunk.txt"

peak() {  # peak NAME COMMAND: the peak resident memory of COMMAND
    /usr/bin/time -f '%M' -o "$WORK/peak" bash -c "$2" >/dev/null 2>&1 || { echo "failed: $2" >&2; exit 1; }
    awk -v n="$1" -v mb="$MEGABYTES" '{ printf "  %-28s %6.0f MiB  (%.2f x the line)\n", n, $1 / 1024, $1 / 1024 / mb }' "$WORK/peak"
}

echo "peak memory on one line of $MEGABYTES MiB:"
peak "erase" "$QB erase $WORK/long --chunk $WORK/chunk.txt"
peak "combine with a short file" "$QB combine $WORK/long/line.txt $WORK/short.txt"
peak "combine with itself" "$QB combine $WORK/long/line.txt $WORK/long/line.txt"
peak "repeat (template holds it 2x)" "$QB repeat --in $WORK/long/line.txt --out $WORK/out.txt"
