#!/usr/bin/env bash
# Builds Quillbox with its tests, runs every test headless, then builds the Debian package from a
# clean build folder, as the README's package command does on a fresh clone, and checks it. Exits
# non-zero when anything fails.
#   ./test.sh                     the whole suite and the package check
#   ./test.sh --sanitize [LABEL…] a separate build with address and undefined-behaviour checks,
#                                 running the tests of the given folders (all when none is given)
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" "${QUILLBOX_RUN_PACKAGES[@]}" googletest libgtest-dev poppler-utils xvfb xauth \
    "${QUILLBOX_PACKAGE_PACKAGES[@]}" "${QUILLBOX_PACKAGE_CHECK_PACKAGES[@]}" "${QUILLBOX_TEST_PACKAGES[@]}"
export QT_QPA_PLATFORM=offscreen

if [ "${1:-}" = "--sanitize" ]; then
    shift
    cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DQUILLBOX_SANITIZE=ON >/dev/null
    labels=("$@")
    targets=()
    for label in "${labels[@]}"; do targets+=("${label}_tests"); done
    cmake --build build/sanitize ${targets[@]:+--target "${targets[@]}"}
    # Tests may preload their own system-call shims, so the runtime need not come first.
    export ASAN_OPTIONS="verify_asan_link_order=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    filter=()
    if [ ${#labels[@]} -gt 0 ]; then
        filter=(-L "^($(IFS='|'; echo "${labels[*]}"))\$")
    fi
    (cd build/sanitize && ctest --output-on-failure --timeout 600 "${filter[@]}")
    exit
fi

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build/test
(cd build/test && ctest --output-on-failure --timeout 300)
scripts/check-package.sh
