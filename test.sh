#!/usr/bin/env bash
# Builds Quillbox with its tests and runs every test headless. Exits non-zero when any fails.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" googletest libgtest-dev poppler-utils xvfb xauth
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
cd build/test
ctest --output-on-failure --timeout 300
