# What the thumbnail benchmarks share: photos made alike, a camera folder filled with them, and
# ours beside vipsthumbnail over that folder. Sourced by the scripts in compare.d/; they set $build
# and $work first.

# A 4000 x 3000 photo in $2 (a VIPS image): shading, texture and noise, distinct for each $1.
make_photo() {
    local i=$1 out=$2 t
    t=$(dirname "$out")
    vips perlin "$t/r.v" 4000 3000 --cell-size $((300 + 40 * i)) --uchar --seed $((10 * i + 1))
    vips perlin "$t/g.v" 4000 3000 --cell-size $((260 + 30 * i)) --uchar --seed $((10 * i + 2))
    vips perlin "$t/b.v" 4000 3000 --cell-size $((410 - 20 * i)) --uchar --seed $((10 * i + 3))
    vips gaussnoise "$t/n.v" 4000 3000 --sigma 6 --mean 0
    vips bandjoin "$t/r.v $t/g.v $t/b.v" "$t/rgb.v"
    vips add "$t/rgb.v" "$t/n.v" "$t/s.v"
    vips cast "$t/s.v" "$out" uchar
}

# Fills folder $1 with $2 files named by the printf pattern $3 (numbered from 1), taken in turn
# from the files given after it; then reads them once, so that both tools read from the page cache.
fill_folder() {
    local folder=$1 count=$2 pattern=$3 i
    shift 3
    local bases=("$@")
    mkdir -p "$folder"
    for ((i = 1; i <= count; i++)); do
        cp "${bases[i % ${#bases[@]}]}" "$(printf "%s/$pattern" "$folder" "$i")"
    done
    cat "$folder"/* >/dev/null
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Milliseconds of the median of three runs of ours over folder $1; tiles_of and memory_of then read
# the tiles shown and the peak memory in MB of the last run.
ours() {
    QT_QPA_PLATFORM=offscreen "$build/bin/tavrin_thumbnail_bench" "$1" 3 >"$work/ours.txt"
    grep -o 'run [0-9]*: [0-9]* ms, [0-9]* tiles' "$work/ours.txt" | awk '{ print $3 }' | median
}
tiles_of() { grep -o '[0-9]* tiles' "$work/ours.txt" | tail -1 | awk '{ print $1 }'; }
memory_of() { grep -o 'peak memory: [0-9]*' "$work/ours.txt" | awk '{ print $3 }'; }

# Milliseconds of the median of three runs of vipsthumbnail -s 64 over every file of folder $1.
vips_time() {
    local folder=$1 r start end
    mkdir -p "$work/vips-out"
    for r in 1 2 3; do
        start=$(date +%s%N)
        vipsthumbnail -s 64 -o "$work/vips-out/%s.jpg" "$folder"/*
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
}
