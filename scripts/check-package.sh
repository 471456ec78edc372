#!/usr/bin/env bash
# Builds the Debian package the way the README's package command does and checks it: the files it
# must hold, its computed dependencies, icons of the size their folder names, and the desktop entry
# and AppStream metadata through their validators. Exits non-zero on any fault.
#   scripts/check-package.sh [BUILD_FOLDER]
# Without a folder it starts from a clean one (build/package-clean, removed first), as a fresh clone
# would, so a step that only an earlier build happened to make cannot hide.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
quillbox_install_packages "${QUILLBOX_PACKAGE_PACKAGES[@]}" "${QUILLBOX_PACKAGE_CHECK_PACKAGES[@]}"
if [ $# -gt 0 ]; then
    build=$1
else
    build=build/package-clean
    rm -rf "$build"
fi
app_id=org.quillbox.quillbox
faults=0
fault() { echo "package check: $*" >&2; faults=$((faults + 1)); }

deb=$(scripts/package.sh "$build" "$build/package-check")
echo "== $deb"
listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
echo "$listing" | grep -v '/$'

expected=(./usr/bin/quillbox ./usr/libexec/quillbox/quillbox-window
          "./usr/share/applications/$app_id.desktop"
          "./usr/share/metainfo/$app_id.metainfo.xml"
          ./usr/share/icons/hicolor/scalable/apps/quillbox.svg)
for size in 16 32 48 64 128; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quillbox.png")
done
# The manual page (help2man is one of the build packages) and the shell completion.
expected+=("./usr/share/man/man1/quillbox.1*" ./usr/share/bash-completion/completions/quillbox)
# Whether the package lists a file that matches the pattern (the manual page may be compressed).
lists() {
    local line
    while IFS= read -r line; do
        # shellcheck disable=SC2053
        [[ $line == $1 ]] && return 0
    done <<<"$listing"
    return 1
}
for file in "${expected[@]}"; do
    lists "$file" || fault "missing $file"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "== Depends: $depends"
for library in libqt6widgets6 libqt6printsupport6 libpcre2-8-0 libb64-0d libssl3; do
    grep -q "$library" <<<"$depends" || fault "dependency $library not computed"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
# The command line loads no GUI library; the window program is where the launcher looks for it.
if ldd "$unpacked/usr/bin/quillbox" | grep -qi 'libqt'; then
    fault "usr/bin/quillbox links a Qt library"
fi
# Started with no command, the command line hands over to the installed window program, which
# shows the chooser offscreen and ends (the start-up probe).
shown=$(QT_QPA_PLATFORM=offscreen QUILLBOX_STARTUP_PROBE=1 QUILLBOX_DATA_DIR="$unpacked" \
        "$unpacked/usr/bin/quillbox" 2>&1 >/dev/null) || true
grep -q '^shown ' <<<"$shown" || fault "usr/bin/quillbox did not start the window program: $shown"
for size in 16 32 48 64 128; do
    icon="$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/quillbox.png"
    [ -f "$icon" ] && { file "$icon" | grep -q "PNG image data, $size x $size," || fault "$icon is not $size px"; }
done
metainfo="$unpacked/usr/share/metainfo/$app_id.metainfo.xml"
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$metainfo" || fault "the metadata has no release $version"

echo "== desktop-file-validate"
desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop" || fault "desktop entry invalid"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$metainfo" || fault "AppStream metadata invalid"

rm -rf "$build/package-check"
[ "$faults" -eq 0 ] || { echo "package check: $faults fault(s)" >&2; exit 1; }
echo "package check passed"
