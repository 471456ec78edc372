# Shared by the file-tool benchmarks: builds the driver and times commands.
# Sourced, not run. Sets BENCH (the driver) and WORK (a scratch folder removed on exit).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build/bench}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBOX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target files_bench >/dev/null
BENCH=$BUILD/bench/files_bench
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillbox-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
RUNS=${RUNS:-3}

# time_once PREPARE COMMAND...: runs PREPARE (untimed), then COMMAND; prints nanoseconds.
time_once() {
    eval "$1"; shift
    sync
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(( end - start ))
}

# race NAME_A PREPARE_A COMMAND_A NAME_B PREPARE_B COMMAND_B: times A and B in turn, RUNS times,
# so both see the same machine load; prints the best time of each and the ratio B / A.
race() {
    local best_a="" best_b="" took
    for _ in $(seq "$RUNS"); do
        took=$(time_once "$2" $3)
        if [[ -z $best_a || $took -lt $best_a ]]; then best_a=$took; fi
        took=$(time_once "$5" $6)
        if [[ -z $best_b || $took -lt $best_b ]]; then best_b=$took; fi
    done
    awk -v a="$best_a" -v b="$best_b" -v na="$1" -v nb="$4" -v runs="$RUNS" 'BEGIN {
        printf "  %-14s %.3f s\n  %-14s %.3f s\n  ratio          %.2f (best of %d each)\n",
               na ":", a / 1e9, nb ":", b / 1e9, b / a, runs }'
}
