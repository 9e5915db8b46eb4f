#!/usr/bin/env bash
# Runs each fuzz harness from its seeds for FUZZ_SECONDS (default 300) and fails on the first finding.
# The corpus grows in build/fuzz/corpus/; a crashing input is left as build/fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

seconds=${FUZZ_SECONDS:-300}
for fuzzer in bmp exif prefs; do
    corpus=build/fuzz/corpus/$fuzzer
    log=build/fuzz/fuzz_$fuzzer.log
    mkdir -p "$corpus"
    echo "== fuzz_$fuzzer for ${seconds}s"
    status=0
    build/fuzz/fuzz_$fuzzer -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/crash-$fuzzer-" "$corpus" "build/fuzz/seeds/$fuzzer" >"$log" 2>&1 || status=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "fuzz_$fuzzer found a failure (log: $log)" >&2
        exit 1
    fi
done
echo "no findings"
