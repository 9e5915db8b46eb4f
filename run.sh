#!/usr/bin/env bash
# Builds Tavrin (Release) and starts it from the build's work folder.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display (set DISPLAY or WAYLAND_DISPLAY, or use: xvfb-run ./run.sh)" >&2
    exit 2
fi

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF >/dev/null
cmake --build build/release --target tavrin
exec build/release/bin/tavrin
