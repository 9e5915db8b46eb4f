#!/usr/bin/env bash
# The thumbnail picker over a memory card folder of 500 camera pictures of 12 megapixels, beside
# vipsthumbnail -s 64 over the same files in one process: with Exif thumbnails and without.
# Run by bench/compare.sh, which builds $TAVRIN_BUILD (a release build with the benchmarks).
set -euo pipefail
build=${TAVRIN_BUILD:?run through bench/compare.sh}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrin-thumbs.XXXXXX")
trap 'rm -rf "$work"' EXIT
count=500
source "$(dirname "$0")/../lib/thumbnail-folder.sh"

# Six distinct 4000 x 3000 pictures (quality 90, about 3 MB each): shading, texture and noise; then a
# copy with a 160 x 120 Exif thumbnail and the orientation tag of a phone held upright, as cameras
# write them (the tiles come out turned).
make_bases() {
    local t=$work/tmp i
    mkdir -p "$t" "$work/base"
    for i in 1 2 3 4 5 6; do
        make_photo "$i" "$t/photo.v"
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
    local folder=$work/$1/DCIM/100TAVRN
    fill_folder "$folder" "$count" DSC_%04d.JPG "$work/base/$1"{1..6}.jpg
    echo "$folder"
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
