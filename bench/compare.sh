#!/usr/bin/env bash
# Prints our figures beside those of other tools, measured in one run on this machine.
# Each script in bench/compare.d/ measures one thing; this runs them all (or those named).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF -DTAVRIN_BENCH=ON >/dev/null
cmake --build build/bench
export TAVRIN_BUILD=$PWD/build/bench

shopt -s nullglob
for script in bench/compare.d/*.sh; do
    name=$(basename "$script" .sh)
    if [ $# -gt 0 ] && [[ ! " $* " =~ " $name " ]]; then continue; fi
    echo "== $name"
    bash "$script"
done
