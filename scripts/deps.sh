# Sourced by run.sh, test.sh and the bench scripts: installs what is missing from Debian's archive.
# Quiet and quick when everything is there; apt-get update runs at most once per call.

# What the program needs to build and run. Debian 12's libheif (1.15) carries its HEVC decoder
# itself, linked to libde265-0, which libheif1 depends on; WebP and TIFF come with Qt's format plugins.
RUN_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev libgl-dev
    libjpeg62-turbo-dev libssl-dev libfontconfig-dev
    libheif-dev qt6-image-formats-plugins
    qtkeychain-qt6-dev xdg-utils
    fonts-ipafont-gothic qt6-translations-l10n
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)

# What the tests add: the test frameworks, the reference JPEG encoder, clang for the fuzz harnesses,
# script (a terminal for the tool's output), the desktop entry's validator and the real servers the
# protocol tests talk to (with TLS: pyOpenSSL for pyftpdlib, trustme for a certificate authority
# made in the test), and a keyring in a D-Bus session for the sign-in's tokens.
TEST_PACKAGES=(
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libjpeg-turbo-progs
    bsdutils desktop-file-utils
    python3 python3-aiosmtpd python3-pyftpdlib dovecot-pop3d python3-openssl python3-trustme
    gnome-keyring dbus dbus-x11
)

# What package.sh adds: the Debian tools CPack's package needs (dpkg-shlibdeps finds the library
# dependencies, file tells it which files are programs) and lintian, which checks the package.
PACKAGE_PACKAGES=(
    dpkg-dev file lintian desktop-file-utils
)

# What scripts/screenshots.sh adds: a virtual display, a window driver and a screen grabber.
SCREENSHOT_PACKAGES=(
    xvfb xauth xdotool x11-utils imagemagick
)

# What bench/compare.sh measures against.
BENCH_PACKAGES=(
    curl
    libvips-tools libimage-exiftool-perl
    hyperfine xvfb xauth dbus-daemon
)

_tavrin_sudo() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG... — installs the packages that are not installed yet.
ensure_packages() {
    local missing=() p status
    for p in "$@"; do
        status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
        [ "$status" = "installed" ] || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    local log
    log=$(mktemp)
    if ! { _tavrin_sudo apt-get update -qq && \
           _tavrin_sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "Could not install: ${missing[*]}" >&2
        return 1
    fi
    rm -f "$log"
}
