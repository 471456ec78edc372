#!/usr/bin/env bash
# Update Files as a command over FOLDERS folders (2,000 by default) of one KILOBYTES-sized
# report.txt each: every file is backed up, the backup made durable (the file, then its folder's
# entry), and only then replaced. Prints the median of RUNS runs, each on a fresh tree, and the
# time per file; the fsyncs that make the backups durable are most of it.
. "$(dirname "$0")/common.sh"
FOLDERS=${FOLDERS:-2000}
KILOBYTES=${KILOBYTES:-16}

fresh_tree() {
    rm -rf "$WORK/t"
    python3 - "$WORK/t" "$FOLDERS" "$KILOBYTES" <<'PY'
import os, sys
root, folders, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]) * 1024
for i in range(folders):
    folder = os.path.join(root, "tree", "g%d" % (i % 20), str(i))
    os.makedirs(folder)
    with open(os.path.join(folder, "report.txt"), "wb") as f:
        f.write(b"o" * size)
os.makedirs(os.path.join(root, "new"))
with open(os.path.join(root, "new", "report.txt"), "wb") as f:
    f.write(b"N" * size)
PY
}

race "update files: $FOLDERS files of $KILOBYTES KB, each backed up durably, then replaced" \
    "quillbox update" fresh_tree "$QB update $WORK/t/tree $WORK/t/new/report.txt"
