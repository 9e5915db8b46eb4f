#!/usr/bin/env bash
# Takes the user guide's screenshots into docs/images/ on a virtual display: the windows with sample
# contents from tavrin-gallery, and Tavrin itself (a portable copy in a scratch folder, with the
# synthetic camera) driven with xdotool. Re-run it whenever the windows change.
#
#   scripts/screenshots.sh            builds build/release (or $BUILD) and takes every picture
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
out=docs/images

# Inside the virtual display: Tavrin in File, Camera and Auto mode.
if [ "${1:-}" = "--on-display" ]; then
    bin=$2 scratch=$3
    work=$scratch/portable
    mkdir -p "$work"
    cp "$bin/tavrin" "$bin/shutter.wav" "$bin/self.wav" "$work/"
    # Settings made already (no first-start questions) and a small address book.
    printf '[serial]\r\nMajor=2\r\nMinor=1\r\n[user]\r\nFromName=%s\r\nFromAddress=taro@example.jp\r\nSMTPServer=smtp.example.jp\r\nConnect=1\r\n' \
        "$(printf '山田太郎' | iconv -f UTF-8 -t CP932)" >"$work/tav.ini"
    {
        for entry in '山田 花子|hanako@docomo.ne.jp|0|2|2|240|320' '佐藤 一郎|ichiro@ezweb.ne.jp|0|1|1|132|176'; do
            IFS='|' read -r -a f <<<"$entry"
            printf '%s\r\n' "${f[@]}"
        done
    } | iconv -f UTF-8 -t CP932 >"$work/Tavrin.ADX"
    cp "$work/Tavrin.ADX" "$work/History.ADX"

    TAVRIN_CAMERA=test XDG_RUNTIME_DIR="$scratch" "$work/tavrin" &
    tavrin=$!
    trap 'kill $tavrin 2>/dev/null || true' EXIT
    # The main window is 514 x 338; the splash goes first.
    window=
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name 'タブリン' 2>/dev/null); do
            if xwininfo -id "$id" | grep -q 'Width: 514'; then window=$id; fi
        done
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { echo "screenshots: Tavrin's main window did not show" >&2; exit 1; }
    shot() { sleep "$2"; import -window "$window" "$out/$1.png"; }
    # The mode buttons along the top of the main window (mainwindow/MainUnit.cpp).
    click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
    shot program-file-mode 1
    click 375 28
    shot program-camera-mode 2
    click 456 28
    shot program-auto-mode 2
    # A mode button that is disabled (no camera) leaves File mode on the screen.
    for mode in camera auto; do
        changed=$(compare -metric AE "$out/program-file-mode.png" "$out/program-$mode-mode.png" null: 2>&1 || true)
        if [ "${changed%% *}" -lt 2000 ] 2>/dev/null; then
            echo "screenshots: the $mode mode button changed nothing; program-$mode-mode.png shows File mode" >&2
        fi
    done
    exit 0
fi

source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
build=${BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF >/dev/null
cmake --build "$build" --target tavrin tavrin-gallery tavrin_work_files
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$out"
display=(xvfb-run -a -s "-screen 0 1024x768x24")

"${display[@]}" "$build/bin/tavrin-gallery" "$scratch/gallery" >/dev/null
# The gallery's pictures the guide shows, under the guide's names.
while read -r from to; do
    cp "$scratch/gallery/$from.png" "$out/$to.png"
done <<'EOF'
main-step1-240x320 step1-picture
main-step1-user-240x160 step1-user-size
main-step2 step2-recipient
main-step3 step3-mail
sending sending
address-list address-book
address-edit address-book-edit
config-user settings-user
config-ftp settings-ftp
thumbnails thumbnails
EOF

"${display[@]}" "$self" --on-display "$(realpath "$build/bin")" "$scratch"
ls "$out"
