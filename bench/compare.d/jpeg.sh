#!/usr/bin/env bash
# The JPEG writer and the thumbnail tiles beside bare libjpeg-turbo and vipsthumbnail.
# Run by bench/compare.sh, which builds $TAVRIN_BUILD (a release build with the benchmarks).
set -euo pipefail
build=${TAVRIN_BUILD:?run through bench/compare.sh}
work=$build/jpeg-bench
exif=$work/exif
jfif=$work/jfif

# Six 12-megapixel camera-like pictures (4000 x 3000, quality 90): smooth shading, texture and
# noise. Three carry their Exif block little-endian and without JFIF, three big-endian after JFIF.
make_pictures() {
    rm -rf "$work"
    mkdir -p "$exif" "$jfif" "$work/tmp"
    local t=$work/tmp i
    for i in 1 2 3 4 5 6; do
        vips perlin "$t/r.v" 4000 3000 --cell-size $((500 + 40 * i)) --uchar --seed $((10 * i + 1))
        vips perlin "$t/g.v" 4000 3000 --cell-size $((420 + 30 * i)) --uchar --seed $((10 * i + 2))
        vips perlin "$t/b.v" 4000 3000 --cell-size $((610 - 20 * i)) --uchar --seed $((10 * i + 3))
        vips perlin "$t/t.v" 4000 3000 --cell-size 5 --seed $((10 * i + 4))
        vips worley "$t/w.v" 4000 3000 --cell-size 250 --seed $((10 * i + 5))
        vips gaussnoise "$t/n.v" 4000 3000 --sigma 4 --mean 0
        vips bandjoin "$t/r.v $t/g.v $t/b.v" "$t/rgb.v"
        vips linear "$t/rgb.v" "$t/c.v" 2.2 " -150"
        vips linear "$t/t.v" "$t/t2.v" 40 0
        vips linear "$t/w.v" "$t/w2.v" " -0.35" 0
        vips add "$t/c.v" "$t/t2.v" "$t/s1.v"
        vips add "$t/s1.v" "$t/w2.v" "$t/s2.v"
        vips add "$t/s2.v" "$t/n.v" "$t/s3.v"
        vips cast "$t/s3.v" "$t/photo.v" uchar
        vips ppmsave "$t/photo.v" "$t/photo.ppm"
        cjpeg -quality 90 "$t/photo.ppm" >"$jfif/photo$i.jpg"
        vipsthumbnail "$jfif/photo$i.jpg" -s 160x120 -o "$t/thumb.jpg[Q=85,strip]"
        cp "$jfif/photo$i.jpg" "$exif/photo$i.jpg"
        if [ $((i % 2)) -eq 1 ]; then
            exiftool -q -overwrite_original -JFIF:all= -ExifByteOrder=II -Make=Tavrin \
                "-ThumbnailImage<=$t/thumb.jpg" "$exif/photo$i.jpg"
        else
            exiftool -q -overwrite_original -ExifByteOrder=MM -Make=Tavrin \
                "-ThumbnailImage<=$t/thumb.jpg" "$exif/photo$i.jpg"
        fi
    done
    rm -rf "$t"
}
[ -f "$exif/photo6.jpg" ] && [ -f "$jfif/photo6.jpg" ] || make_pictures

# Our figures: Google Benchmark, the median real time per iteration of five runs, in milliseconds.
json=$work/ours.json
TAVRIN_BENCH_EXIF_DIR=$exif TAVRIN_BENCH_JFIF_DIR=$jfif "$build/bin/tavrin_bench" \
    --benchmark_filter='ConvertFile|BareLibjpeg|MakeThumbnail' --benchmark_min_time=1 \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json >/dev/null 2>"$work/bench.err" ||
    { cat "$work/bench.err" >&2; exit 1; }

# vipsthumbnail over the same files in one process, each file three times: "nanoseconds files".
vips_time() {
    local folder=$1 files=() start end
    files=("$folder"/*.jpg "$folder"/*.jpg "$folder"/*.jpg)
    mkdir -p "$work/vips-out"
    start=$(date +%s%N)
    vipsthumbnail -s 64 -o "$work/vips-out/%s.jpg" "${files[@]}"
    end=$(date +%s%N)
    echo "$((end - start)) ${#files[@]}"
}
vips_exif=$(vips_time "$exif")
vips_jfif=$(vips_time "$jfif")

/usr/bin/python3 - "$json" "$vips_exif" "$vips_jfif" <<'PY'
import json, sys
runs = {b["run_name"]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("aggregate_name") == "median"}
def per_file(arg):
    ns, files = map(int, arg.split())
    return ns / 1e6 / files
vips_exif, vips_jfif = per_file(sys.argv[2]), per_file(sys.argv[3])
ours = runs["BM_ConvertFile51Passes"]
bare = runs["BM_BareLibjpeg51Qualities"]
exif = runs["BM_MakeThumbnailExif"]
jfif = runs["BM_MakeThumbnailWithoutExif"]
print(f"{'':44}{'ours':>10}{'other':>10}  {'':16}")
print(f"{'ConvertFile, 240x320, 51 passes (ms)':44}{ours:10.2f}{bare:10.2f}  ours/bare libjpeg = {ours / bare:.2f} (at most 1.3)")
print(f"{'thumbnail, 12 MP with Exif (ms per file)':44}{exif:10.3f}{vips_exif:10.2f}  vipsthumbnail/ours = {vips_exif / exif:.0f}x (at least 10x)")
print(f"{'thumbnail, 12 MP without Exif (ms per file)':44}{jfif:10.2f}{vips_jfif:10.2f}  ours/vipsthumbnail = {jfif / vips_jfif:.2f} (at most 1)")
PY
