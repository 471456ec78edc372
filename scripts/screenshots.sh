#!/usr/bin/env bash
# Builds the program and saves a picture of each of its windows under docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target quillbox_screenshots
build/release/quillbox_screenshots docs
