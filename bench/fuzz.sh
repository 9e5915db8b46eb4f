#!/usr/bin/env bash
# Runs every fuzz harness (tests/fuzz/fuzz_NAME.cpp), or those named (bench/fuzz.sh NAME...), from
# its seeds for FUZZ_SECONDS each (default 300), one after the other, and fails when any found
# something. The corpus grows in build/fuzz/corpus/NAME/; a failing input is left as
# build/fuzz/crash-NAME-*, the log as build/fuzz/fuzz_NAME.log.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for source in tests/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        names+=("${name#fuzz_}")
    done
fi

seconds=${FUZZ_SECONDS:-300}
failed=()
for name in "${names[@]}"; do
    fuzzer=build/fuzz/fuzz_$name
    if [ ! -x "$fuzzer" ]; then
        echo "no harness fuzz_$name" >&2
        failed+=("$name")
        continue
    fi
    corpus=build/fuzz/corpus/$name
    seeds=build/fuzz/seeds/$name
    log=build/fuzz/fuzz_$name.log
    mkdir -p "$corpus" "$seeds"
    echo "== fuzz_$name for ${seconds}s"
    status=0
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/crash-$name-" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "fuzz_$name found a failure (log: $log)" >&2
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "findings: ${failed[*]}" >&2
    exit 1
fi
echo "no findings"
