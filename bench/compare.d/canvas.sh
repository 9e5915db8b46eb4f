#!/usr/bin/env bash
# The picture canvas on a 12-megapixel photo: a quarter turn, the render for a recipient and the redraw
# after a wheel step, each against the 200 ms a user should never wait for.
# Run by bench/compare.sh, which builds $TAVRIN_BUILD (a release build with the benchmarks).
set -euo pipefail
build=${TAVRIN_BUILD:?run through bench/compare.sh}
work=$build/canvas-bench
mkdir -p "$work"

# Google Benchmark, the median real time per iteration of five runs, in milliseconds.
json=$work/ours.json
"$build/bin/tavrin_bench" --benchmark_filter='12MP' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_out="$json" --benchmark_out_format=json \
    >/dev/null 2>"$work/bench.err" || { cat "$work/bench.err" >&2; exit 1; }

/usr/bin/python3 - "$json" <<'PY'
import json, sys
runs = {b["run_name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
rows = [
    ("rotate left, 4000x3000", "BM_RotateBitmap12MP/-90"),
    ("rotate right, 4000x3000", "BM_RotateBitmap12MP/90"),
    ("render, fitted to 240 wide", "BM_RenderPicture12MP/0"),
    ("render, at 100 %", "BM_RenderPicture12MP/100"),
    ("render, at 300 %", "BM_RenderPicture12MP/300"),
    ("redraw after a wheel step, fitted", "BM_ZoomRedraw12MP/0"),
    ("redraw after a wheel step, at 300 %", "BM_ZoomRedraw12MP/300"),
]
print(f"{'12 MP picture (ms)':44}{'ours':>10}{'bound':>10}")
for label, name in rows:
    t = runs[name]
    print(f"{label:44}{t:10.1f}{200:10d}  {'ok' if t < 200 else 'TOO SLOW'}")
PY
