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

# Four distinct 4000 x 3000 photos (shading, texture and noise), stored on their side and turned by
# the container as a phone held upright does it, with a 320 x 240 thumbnail reduced from the photo.
make_bases() {
    local t=$work/tmp i
    mkdir -p "$t" "$work/base"
    for i in 1 2 3 4; do
        vips perlin "$t/r.v" 4000 3000 --cell-size $((300 + 40 * i)) --uchar --seed $((10 * i + 1))
        vips perlin "$t/g.v" 4000 3000 --cell-size $((260 + 30 * i)) --uchar --seed $((10 * i + 2))
        vips perlin "$t/b.v" 4000 3000 --cell-size $((410 - 20 * i)) --uchar --seed $((10 * i + 3))
        vips gaussnoise "$t/n.v" 4000 3000 --sigma 6 --mean 0
        vips bandjoin "$t/r.v $t/g.v $t/b.v" "$t/rgb.v"
        vips add "$t/rgb.v" "$t/n.v" "$t/s.v"
        vips cast "$t/s.v" "$t/photo.v" uchar
        vips pngsave "$t/photo.v" "$t/photo.png" --compression 1
        "$build/bin/tavrin_heic_photo" "$t/photo.png" "$work/base/photo$i.heic"
    done
    rm -rf "$t"
}

make_folder() {
    local folder=$work/DCIM/100APPLE i
    mkdir -p "$folder"
    for ((i = 1; i <= count; i++)); do
        cp "$work/base/photo$((i % 4 + 1)).heic" "$(printf '%s/IMG_%04d.HEIC' "$folder" "$i")"
    done
    cat "$folder"/*.HEIC >/dev/null # both tools read from the page cache
    echo "$folder"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ours() {
    QT_QPA_PLATFORM=offscreen "$build/bin/tavrin_thumbnail_bench" "$1" 3 >"$work/ours.txt"
    grep -o 'run [0-9]*: [0-9]* ms, [0-9]* tiles' "$work/ours.txt" | awk '{ print $3 }' | median
}
tiles_of() { grep -o '[0-9]* tiles' "$work/ours.txt" | tail -1 | awk '{ print $1 }'; }
memory_of() { grep -o 'peak memory: [0-9]*' "$work/ours.txt" | awk '{ print $3 }'; }

vips_time() {
    local folder=$1 r start end
    mkdir -p "$work/vips-out"
    for r in 1 2 3; do
        start=$(date +%s%N)
        vipsthumbnail -s 64 -o "$work/vips-out/%s.jpg" "$folder"/*.HEIC
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
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
