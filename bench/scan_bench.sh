#!/usr/bin/env bash
# The source-scanner benchmark: builds the driver (release), writes the benchmark tree once
# (about 20,000 files, 200 MB; kept for later runs), then times the declaration scan and the
# TODO scan beside GNU grep on it and prints the times and ratios.
# Usage: bench/scan_bench.sh [TREE [ROUNDS]]
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-/tmp/quillbox-scan-bench}
rounds=${2:-5}
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUILLBOX_BENCH=ON >/dev/null
cmake --build build/bench --target scan_bench
if [[ ! -f "$tree/.complete" ]]; then
    rm -rf "$tree"
    python3 bench/scan_tree.py "$tree"
    touch "$tree/.complete"
fi
build/bench/bench/scan_bench "$tree" "$rounds"
