#!/usr/bin/env bash
# Peak memory on one MEGABYTES-long line (300 MB by default) with no line break, for Erase,
# Combine (the line beside a one-line file, and beside itself) and the chunk repeater (whose
# default chunk holds the line twice). Prints each run's peak resident memory and its ratio to
# the line's size (aim: about 2, never much more than the output itself needs).
. "$(dirname "$0")/files_common.sh"
MEGABYTES=${MEGABYTES:-300}

mkdir -p "$WORK/erase"
"$BENCH" line "$WORK/erase/line.txt" "$MEGABYTES"
printf 'short\r\n' >"$WORK/short.txt"

peak() {  # peak NAME COMMAND...: runs COMMAND under /usr/bin/time and prints its peak memory
    local name=$1; shift
    local kb
    kb=$(/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1)
    awk -v n="$name" -v kb="$kb" -v mb="$MEGABYTES" 'BEGIN {
        printf "  %-24s %6.0f MB peak  (%.2f x the line)\n", n, kb / 1024, kb / 1024 / mb }'
}

echo "one line of $MEGABYTES MB without a line break:"
peak "erase" "$BENCH" erase "$WORK/erase"
peak "combine with a short file" "$BENCH" combine "$WORK/erase/line.txt" "$WORK/short.txt"
peak "combine with itself" "$BENCH" combine "$WORK/erase/line.txt" "$WORK/erase/line.txt"
peak "repeat (chunk holds it 2x)" "$BENCH" repeat "$WORK/erase/line.txt" "$WORK/out.txt"
