#!/usr/bin/env bash
# Builds the program and saves pictures of its windows under docs/: every window at the usual
# size, the chooser and one tool window at twice the size (docs/2x/), and the review in a dark
# palette (docs/dark/). QUILLBOX_BUILD names
# another build folder to use (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLBOX_BUILD:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target quillbox_screenshots
# The program's folder (where the chunk repeater keeps its chunk) lives in the build folder.
export QUILLBOX_DATA_DIR=$PWD/$build/pictures
mkdir -p "$QUILLBOX_DATA_DIR"
"$build/quillbox_screenshots" docs --frame 1117x860
QT_SCALE_FACTOR=2 "$build/quillbox_screenshots" docs/2x --frame 900x680 --only frmWhichGizmet,frmEraseChunks
# The review of a run's changes, also in a dark palette: its diff colours must read on both.
"$build/quillbox_screenshots" docs/dark --dark --frame 1117x860 --only frmReviewChanges
