#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UBSan and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BENCH=ON >/dev/null
cmake --build build/test
# The fuzz harnesses need clang: a project and build of their own.
cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/test --output-on-failure -j"$(nproc)"
ctest --test-dir build/fuzz --output-on-failure
