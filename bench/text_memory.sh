#!/usr/bin/env bash
# Peak memory of the text tools on large files (MEGABYTES each, 1024 by default, of short lines):
# combine on two such files, and rows2cols on one whose first two lines are the names and the
# values, once with CR LF line ends (the first two lines settle it) and once with LF only (the
# whole file is read once to be sure no CR LF follows). Memory should stay at a few MiB, however
# large the files are.
. "$(dirname "$0")/common.sh"
MEGABYTES=${MEGABYTES:-1024}
quillbox_install_packages time

yes 'a line of the first file, as long as a line of code tends to be' | head -c $((MEGABYTES << 20)) >"$WORK/one.txt"
yes 'and a line of the second' | head -c $((MEGABYTES << 20)) >"$WORK/two.txt"
{ printf 'id\tname\tdescription\r\n7\tAnn\tx\r\n'; cat "$WORK/one.txt"; } >"$WORK/rows-crlf.txt"
{ printf 'id\tname\tdescription\n7\tAnn\tx\n'; cat "$WORK/one.txt"; } >"$WORK/rows-lf.txt"

peak() {  # peak NAME COMMAND: the peak resident memory of COMMAND, and its time
    /usr/bin/time -f '%M %e' -o "$WORK/peak" bash -c "$2" >/dev/null 2>&1 || { echo "failed: $2" >&2; exit 1; }
    awk -v n="$1" '{ printf "  %-36s %8.0f MiB  %6.1f s\n", n, $1 / 1024, $2 }' "$WORK/peak"
}

echo "peak memory on files of $MEGABYTES MiB:"
peak "combine two files" "$QB combine $WORK/one.txt $WORK/two.txt"
peak "rows2cols, CR LF" "$QB rows2cols $WORK/rows-crlf.txt"
peak "rows2cols, LF only" "$QB rows2cols $WORK/rows-lf.txt"

# Measured on the development machine (2 cores, files of 1024 MiB; peak resident memory, time):
#                        before streaming          after
#   combine two files    2896 MiB   25.1 s         18 MiB   10.2 s
#   rows2cols, CR LF     1039 MiB    2.0 s         17 MiB    0.03 s
#   rows2cols, LF only   1551 MiB    3.5 s         17 MiB    1.9 s
