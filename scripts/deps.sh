# Installs the Debian packages Quillbox needs when any is missing (sourced by run.sh and test.sh).
quillbox_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# help2man writes the manual page from the program's help at build time.
QUILLBOX_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libpcre2-dev help2man nlohmann-json3-dev libb64-dev libdtl-dev libssl-dev libgit2-dev)
# What the program runs: universal-ctags finds declarations by file type.
QUILLBOX_RUN_PACKAGES=(universal-ctags)
# cpack's .deb generator computes dependencies with dpkg-shlibdeps, which needs `file` too.
QUILLBOX_PACKAGE_PACKAGES=(dpkg-dev file)
# The validators of the package's desktop entry and AppStream metadata.
QUILLBOX_PACKAGE_CHECK_PACKAGES=(desktop-file-utils appstream)
# The tests read the JSON report back with Python's strict parser, render the Markdown report
# with a real CommonMark renderer, and hand the printed diffs to git apply and patch.
QUILLBOX_TEST_PACKAGES=(python3 cmark-gfm git patch)
