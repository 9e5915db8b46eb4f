#!/usr/bin/env bash
# The thumbnail picker over a phone's folder of 300 HEIC photos of 12 megapixels with embedded
# thumbnails, as iPhones write them (turned by the container, a 320 x 240 thumbnail inside), beside
# vipsthumbnail -s 64 over the same files in one process.
# Run by bench/compare.sh, which builds $TAVRIN_BUILD (a release build with the benchmarks).
set -euo pipefail
build=${TAVRIN_BUILD:?run through bench/compare.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-heic.XXXXXX")
trap 'rm -rf "$work"' EXIT
count=300
source "$(dirname "$0")/../lib/thumbnail-folder.sh"

# Four distinct 4000 x 3000 photos (shading, texture and noise), stored on their side and turned by
# the container as a phone held upright does it, with a 320 x 240 thumbnail reduced from the photo.
make_bases() {
    local t=$work/tmp i
    mkdir -p "$t" "$work/base"
    for i in 1 2 3 4; do
        make_photo "$i" "$t/photo.v"
        vips pngsave "$t/photo.v" "$t/photo.png" --compression 1
        "$build/bin/tavrin_heic_photo" "$t/photo.png" "$work/base/photo$i.heic"
    done
    rm -rf "$t"
}

make_folder() {
    local folder=$work/DCIM/100APPLE
    fill_folder "$folder" "$count" IMG_%04d.HEIC "$work/base/photo"{1..4}.heic
    echo "$folder"
}

make_bases
folder=$(make_folder)
ours_ms=$(ours "$folder"); tiles=$(tiles_of); mem=$(memory_of)
vips_ms=$(vips_time "$folder")
size=$(stat -c %s "$work/base/photo1.heic")

/usr/bin/python3 - "$ours_ms" "$vips_ms" "$tiles" "$mem" "$count" "$size" <<'PY'
import sys
o, v, t, m, n, s = map(int, sys.argv[1:7])
print(f"{'':52}{'ours':>8}{'vips':>8}")
print(f"{f'{n} x 12 MP HEIC with thumbnails, folder to grid (ms)':52}{o:8}{v:8}  vipsthumbnail/ours = {v / max(o, 1):.1f}x (at least 10x)")
print(f"{'tiles shown':52}{t:8}")
print(f"{'peak memory with the grid shown (MB)':52}{m:8}          (under 150)")
print(f"one photo: {s / 1e6:.1f} MB")
PY
