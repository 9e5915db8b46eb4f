#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UBSan and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BENCH=ON >/dev/null
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/test --output-on-failure -j"$(nproc)"
