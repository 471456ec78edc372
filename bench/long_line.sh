#!/usr/bin/env bash
# Peak memory on one MEGABYTES-long line (300 MiB by default) without a line break, for the tools
# that read lines: erase and spew (on a line that cannot start a chunk, and on one that holds the
# chunk's first line, which it must hold whole), search and replace (with pairs that match in the
# line, without and with its trace), combine (beside a one-line file, and beside itself, where the
# output line is twice as long) and the chunk repeater (whose default template holds the line
# twice). Prints each command's peak resident memory and its ratio to the line (aim: about 2 at
# most; erase on a chunk's first line about 1, replace, with or without its trace, a few blocks).
. "$(dirname "$0")/common.sh"
MEGABYTES=${MEGABYTES:-300}
quillbox_install_packages time
export QUILLBOX_DATA_DIR=$WORK  # the built-in template, not a stored one

mkdir -p "$WORK/long" "$WORK/trigger"
head -c $((MEGABYTES << 20)) /dev/zero | tr '\0' 'w' >"$WORK/long/line.txt"
printf 'short\r\n' >"$WORK/short.txt"
python3 "$ROOT/bench/files_tree.py" --chunk >"$WORK/chunk.txt"
# The same line with the chunk's first line in its middle: erase holds it whole, as a chunk may start.
{
    head -c $((MEGABYTES << 19)) "$WORK/long/line.txt"
    head -n 1 "$WORK/chunk.txt" | tr -d '\r\n'
    head -c $((MEGABYTES << 19)) "$WORK/long/line.txt"
} >"$WORK/trigger/line.txt"
printf '<SIMPLERENDERER>\r\n<X>\r\nww\r\nv\r\n' >"$WORK/pairs.txt"

peak() {  # peak NAME COMMAND: the peak resident memory of COMMAND
    /usr/bin/time -f '%M' -o "$WORK/peak" bash -c "$2" >/dev/null 2>&1 || { echo "failed: $2" >&2; exit 1; }
    awk -v n="$1" -v mb="$MEGABYTES" '{ printf "  %-28s %6.0f MiB  (%.2f x the line)\n", n, $1 / 1024, $1 / 1024 / mb }' "$WORK/peak"
}

echo "peak memory on one line of $MEGABYTES MiB:"
peak "erase" "$QB erase $WORK/long --chunk $WORK/chunk.txt"
peak "erase, chunk's first line" "$QB erase $WORK/trigger --chunk $WORK/chunk.txt"
peak "replace" "$QB replace $WORK/trigger --pairs $WORK/pairs.txt"
peak "replace with its trace" "$QB replace $WORK/trigger --pairs $WORK/pairs.txt --debug $WORK/trace.out; rm -f $WORK/trace.out"
peak "combine with a short file" "$QB combine $WORK/long/line.txt $WORK/short.txt"
peak "combine with itself" "$QB combine $WORK/long/line.txt $WORK/long/line.txt"
peak "repeat (template holds it 2x)" "$QB repeat --in $WORK/long/line.txt --out $WORK/out.txt"
