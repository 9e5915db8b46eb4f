#!/usr/bin/env bash
# The thumbnail picker over a memory card folder of 500 camera pictures of 12 megapixels, beside
# vipsthumbnail -s 64 over the same files in one process: with Exif thumbnails and without.
# Run by bench/compare.sh, which builds $TAVRIN_BUILD (a release build with the benchmarks).
set -euo pipefail
build=${TAVRIN_BUILD:?run through bench/compare.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-thumbs.XXXXXX")
trap 'rm -rf "$work"' EXIT
count=500

# Six distinct 4000 x 3000 pictures (quality 90, about 3 MB each): shading, texture and noise; then a
# copy with a 160 x 120 Exif thumbnail and the orientation tag of a phone held upright, as cameras
# write them (the tiles come out turned).
make_bases() {
    local t=$work/tmp i
    mkdir -p "$t" "$work/base"
    for i in 1 2 3 4 5 6; do
        vips perlin "$t/r.v" 4000 3000 --cell-size $((300 + 40 * i)) --uchar --seed $((10 * i + 1))
        vips perlin "$t/g.v" 4000 3000 --cell-size $((260 + 30 * i)) --uchar --seed $((10 * i + 2))
        vips perlin "$t/b.v" 4000 3000 --cell-size $((410 - 20 * i)) --uchar --seed $((10 * i + 3))
        vips gaussnoise "$t/n.v" 4000 3000 --sigma 6 --mean 0
        vips bandjoin "$t/r.v $t/g.v $t/b.v" "$t/rgb.v"
        vips add "$t/rgb.v" "$t/n.v" "$t/s.v"
        vips cast "$t/s.v" "$t/photo.v" uchar
        vips ppmsave "$t/photo.v" "$t/photo.ppm"
        cjpeg -quality 90 "$t/photo.ppm" >"$work/base/jfif$i.jpg"
        vipsthumbnail "$work/base/jfif$i.jpg" -s 160x120 -o "$t/thumb.jpg[Q=85,strip]"
        cp "$work/base/jfif$i.jpg" "$work/base/exif$i.jpg"
        exiftool -q -overwrite_original -JFIF:all= -Make=Tavrin -Orientation#=6 "-ThumbnailImage<=$t/thumb.jpg" \
            "$work/base/exif$i.jpg"
    done
    rm -rf "$t"
}

# A card folder as a camera fills it: DSC_0001.JPG ... DSC_0500.JPG, the six pictures in turn.
make_card() {
    local kind=$1 folder=$work/$1/DCIM/100TAVRN i
    mkdir -p "$folder"
    for ((i = 1; i <= count; i++)); do
        cp "$work/base/$kind$((i % 6 + 1)).jpg" "$(printf '%s/DSC_%04d.JPG' "$folder" "$i")"
    done
    cat "$folder"/*.JPG >/dev/null # both tools read from the page cache
    echo "$folder"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Milliseconds of each of three runs of ours, then the peak memory in MB.
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
        vipsthumbnail -s 64 -o "$work/vips-out/%s.jpg" "$folder"/*.JPG
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
}

# How many cores this run really gets: two decoders side by side against one after the other. The
# tiles are decoded on as many threads as there are cores, so the figures without Exif depend on it.
cores_now() {
    local f=$work/base/jfif1.jpg start mid end
    start=$(date +%s%N)
    for _ in 1 2 3 4; do djpeg -scale 1/8 "$f" >/dev/null; done
    mid=$(date +%s%N)
    for _ in 1 2; do djpeg -scale 1/8 "$f" >/dev/null; done &
    for _ in 1 2; do djpeg -scale 1/8 "$f" >/dev/null; done
    wait
    end=$(date +%s%N)
    awk -v a=$((mid - start)) -v b=$((end - mid)) 'BEGIN { printf "%.2f", a / b }'
}

make_bases
exif=$(make_card exif)
jfif=$(make_card jfif)
cores_before=$(cores_now)

ours_exif=$(ours "$exif"); tiles_exif=$(tiles_of); mem_exif=$(memory_of)
vips_exif=$(vips_time "$exif")
ours_jfif=$(ours "$jfif"); tiles_jfif=$(tiles_of); mem_jfif=$(memory_of)
vips_jfif=$(vips_time "$jfif")
cores_after=$(cores_now)

/usr/bin/python3 - "$ours_exif" "$vips_exif" "$ours_jfif" "$vips_jfif" "$tiles_exif" "$tiles_jfif" "$mem_exif" "$mem_jfif" "$count" "$cores_before" "$cores_after" <<'PY'
import sys
oe, ve, oj, vj, te, tj, me, mj, n = map(int, sys.argv[1:10])
cb, ca = map(float, sys.argv[10:12])
print(f"{'':52}{'ours':>8}{'vips':>8}")
print(f"{f'{n} x 12 MP with Exif, folder to grid (ms)':52}{oe:8}{ve:8}  vipsthumbnail/ours = {ve / max(oe, 1):.1f}x (at least 10x)")
print(f"{f'{n} x 12 MP without Exif, folder to grid (ms)':52}{oj:8}{vj:8}  ours/vipsthumbnail = {oj / max(vj, 1):.2f} (at most 0.5)")
print(f"{'tiles shown (with, without Exif)':52}{te:8}{tj:8}")
print(f"{'peak memory with the grid shown (MB)':52}{max(me, mj):8}          (under 150)")
print(f"cores this run got (two decoders side by side / one after the other): {cb:.2f} before, {ca:.2f} after")
PY
