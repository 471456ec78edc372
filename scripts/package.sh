#!/usr/bin/env bash
# Builds the Debian package of Quillbox and prints its path.
#   scripts/package.sh [BUILD_FOLDER [OUTPUT_FOLDER]]
# BUILD_FOLDER (default build/release) is configured as a Release build when it is new, and reused
# as it is otherwise; the package lands in OUTPUT_FOLDER (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_BUILD_PACKAGES[@]}" "${QUILLBOX_PACKAGE_PACKAGES[@]}" >&2
build=${1:-build/release}
out=${2:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
# Everything the package installs (the program, its manual page) is made by the default target.
cmake --build "$build" >&2
mkdir -p "$out"
out=$(cd "$out" && pwd)
staging="$(cd "$build" && pwd)/cpack"
rm -rf "$staging"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$staging" >&2
deb=$(find "$staging" -maxdepth 1 -name '*.deb' -print -quit)
[ -n "$deb" ] || { echo "cpack made no .deb" >&2; exit 1; }
mv -f "$deb" "$out/"
rm -rf "$staging"
echo "$out/$(basename "$deb")"
