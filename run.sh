#!/usr/bin/env bash
# Builds Quillbox (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" "${QUILLBOX_RUN_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release
# With arguments Quillbox runs one tool as a command (quillbox --help), which needs no display.
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show Quillbox on; start it under a virtual one with: xvfb-run -a ./run.sh"
    exit 1
fi
exec build/release/quillbox "$@"
