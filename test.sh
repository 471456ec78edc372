#!/usr/bin/env bash
# Builds Quillbox with its tests, runs every test headless, then builds the Debian package from
# the same build and checks it. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" googletest libgtest-dev poppler-utils xvfb xauth \
    "${QUILLBOX_PACKAGE_PACKAGES[@]}" "${QUILLBOX_PACKAGE_CHECK_PACKAGES[@]}"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
(cd build/test && ctest --output-on-failure --timeout 300)
scripts/check-package.sh build/test
