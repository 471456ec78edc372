# Shared by the benchmark scripts: builds a Release quillbox, installs the programs it is timed
# beside (ripgrep and sd, as Debian packages, when missing), and times whole processes.
# Sourced, not run. Sets QB (the executable), WORK (a scratch folder removed on exit) and RUNS.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build/bench}
. "$ROOT/scripts/deps.sh"
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" python3 ripgrep sd
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target quillbox >/dev/null
QB=$BUILD/quillbox
WORK=$(mktemp -d "${TMPDIR:-/tmp}/quillbox-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
RUNS=${RUNS:-5}

# time_once PREPARE COMMAND: runs PREPARE (untimed), then COMMAND, and prints its nanoseconds.
# Output goes to a file, not /dev/null: grep stops at the first match when it sees /dev/null.
time_once() {
    eval "$1"
    sync
    # Read from the shell itself: no process is started for the clock.
    local start=$EPOCHREALTIME end
    eval "$2" >"$WORK/stdout" 2>"$WORK/stderr" || { echo "failed: $2" >&2; cat "$WORK/stderr" >&2; exit 1; }
    end=$EPOCHREALTIME
    echo $(((10#${end/./} - 10#${start/./}) * 1000))
}

# race TITLE  NAME PREPARE COMMAND  NAME PREPARE COMMAND ...: RUNS rounds, each running every
# command once in turn, so all see the same machine load; prints each median, and for the others
# the ratio of the first (quillbox's) median to theirs.
race() {
    local title=$1
    shift
    local names=() prepares=() commands=() times=()
    while (($#)); do
        names+=("$1") prepares+=("$2") commands+=("$3") times+=("")
        shift 3
    done
    local round i
    for ((round = 0; round < RUNS; round++)); do
        for i in "${!names[@]}"; do
            times[i]+="$(time_once "${prepares[i]}" "${commands[i]}") "
        done
    done
    echo "$title (median of $RUNS alternating runs)"
    local first=""
    for i in "${!names[@]}"; do
        local median
        median=$(printf '%s\n' ${times[i]} | sort -n |
                 awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }')
        if [[ -z $first ]]; then
            first=$median
            awk -v n="${names[i]}" -v m="$median" 'BEGIN { printf "  %-44s %8.3f s\n", n, m / 1e9 }'
        else
            awk -v n="${names[i]}" -v m="$median" -v f="$first" \
                'BEGIN { printf "  %-44s %8.3f s   quillbox / this = %.2f\n", n, m / 1e9, f / m }'
        fi
    done
}

# repo_tree FOLDER: the generated multi-language git repository (repo_tree.py: 20,000 files
# committed, 4,000 more in folders its .gitignore files ignore), written once and kept.
repo_tree() {
    if [[ ! -f $1.complete ]]; then
        rm -rf "$1"
        python3 "$ROOT/bench/repo_tree.py" "$1" >/dev/null
        touch "$1.complete"
    fi
}
