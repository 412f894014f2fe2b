#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmarks both tools and the number text micro-benchmarks.
#
#   bench/run.sh            full run: tetclean at scales 1, 2 and 4, voxdump
#                           on 256 x 256 x 180 volumes, pairs and a .nii.gz
#                           timed against gzip -dc (a few minutes, some 4 GB
#                           of temporary files)
#   bench/run.sh --tiny     the same steps on tiny inputs, for CI (seconds)
#   bench/run.sh --tetclean [OTHER]
#                           tetclean at scale 1 alone; with OTHER (another
#                           tetclean binary, such as one built before a
#                           change), the two are run alternately and a last
#                           line gives the ratios of their medians
#
# Builds the release preset, writes the workloads into a temporary folder
# (removed at the end), runs every tool 5 times per workload, and prints one
# table row per workload: wall time (median, min, max), input and output
# MB/s (10^6 bytes) and values per second from the median, peak resident
# memory (the largest of the 5 runs) next to the bytes of the arrays the run
# fills and the limit 1.25 x arrays + 64 MiB. The targets are checked below
# the table; a missed target is reported, not fatal.
set -euo pipefail
cd "$(dirname "$0")/.."

tiny=false
tetclean_only=false
other=""
[[ "${1:-}" == "--tiny" ]] && tiny=true
if [[ "${1:-}" == "--tetclean" ]]; then
    tetclean_only=true
    other=${2:+$(realpath "$2")}
fi
runs=5

cmake --preset release >/dev/null
targets=(tetclean voxdump make_workload make_volume_workload)
# The micro-benchmarks exist where the benchmark library is installed.
if grep -q number_text_bench build/release/build.ninja; then targets+=(number_text_bench); fi
cmake --build --preset release --target "${targets[@]}" >/dev/null
bin=build/release

work=$(mktemp -d "${TMPDIR:-/tmp}/levelset-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

if $tiny; then
    scales=(0.002)
    volume=(32 32 16)
elif $tetclean_only; then
    scales=(1)
    runs=9
else
    scales=(1 2 4)
    volume=(256 256 180)
fi

# run_timed <name> <command...>: runs the command $runs times; leaves the
# wall times (seconds) in $work/<name>.times and the peak RSS (KiB) in
# $work/<name>.rss.
run_timed() {
    local name=$1
    shift
    : >"$work/$name.times"
    : >"$work/$name.rss"
    for ((i = 0; i < runs; i++)); do run_once "$name" "$@"; done
}
run_once() {
    local name=$1 start end
    shift
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/$name.rss.one" "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))" | awk '{printf "%.6f\n", $1 / 1e6}' >>"$work/$name.times"
    cat "$work/$name.rss.one" >>"$work/$name.rss"
}
# run_alternately <name> <other name> <other binary> <command...>: as
# run_timed, with the other binary run after each run of the command.
run_alternately() {
    local name=$1 other_name=$2 other_binary=$3
    shift 3
    : >"$work/$name.times" >"$work/$name.rss" >"$work/$other_name.times" >"$work/$other_name.rss"
    for ((i = 0; i < runs; i++)); do
        run_once "$name" "$@"
        run_once "$other_name" "$other_binary" "${@:2}"
    done
}

file_bytes() { stat -c %s "$@" | awk '{s += $1} END {print s}'; }

# row <label> <input bytes> <output bytes> <values> <array bytes>
row() {
    local label=$1 input=$2 output=$3 values=$4 arrays=$5 name=$6
    sort -n "$work/$name.times" | awk -v label="$label" -v input="$input" -v output="$output" \
        -v values="$values" -v arrays="$arrays" -v rss="$(sort -n "$work/$name.rss" | tail -1)" '
        { t[NR] = $1 }
        END {
            median = t[int((NR + 1) / 2)]
            limit = 1.25 * arrays + 64 * 1048576
            printf "| %s | %.1f | %.1f | %.3f | %.3f | %.3f | %.0f | %.0f | %.1f | %.0f | %.0f | %.0f |\n",
                label, input / 1e6, output / 1e6, median, t[1], t[NR], input / 1e6 / median,
                output / 1e6 / median, values / 1e6 / median, rss / 1024, arrays / 1048576,
                limit / 1048576
            printf "%s %.6f %.6f %.0f %.0f\n", label, median, input / 1e6 / median, rss * 1024, limit \
                > "/dev/stderr"
        }' 2>>"$work/summary"
}

echo "machine: $(nproc) cores, $(awk '/model name/ {$1 = $2 = $3 = ""; print; exit}' /proc/cpuinfo | sed 's/^ *//'), $(free -g | awk '/Mem:/ {print $2}') GiB; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| run | input MB | output MB | median s | min s | max s | input MB/s | output MB/s | M values/s | peak RSS MiB | arrays MiB | RSS limit MiB |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"

for scale in "${scales[@]}"; do
    dir="$work/tetclean-$scale"
    mkdir -p "$dir"
    "$bin/bench/make_workload" "$dir" "$scale" >/dev/null
    command=("$bin/apps/tetclean/tetclean" "$dir/mesh.node" "$dir/mesh.ele" "$dir/out.node"
        "$dir/out.ele" "$dir/levelset.txt" "$dir/params.txt")
    if [[ -n "$other" ]]; then
        run_alternately "tetclean-$scale" "other-$scale" "$other" "${command[@]}"
    else
        run_timed "tetclean-$scale" "${command[@]}"
    fi
    nodes=$(head -c 64 "$dir/mesh.node" | awk 'NR == 1 {print $1}')
    tets=$(head -c 64 "$dir/mesh.ele" | awk 'NR == 1 {print $1}')
    kept_nodes=$(head -c 64 "$dir/out.node" | awk 'NR == 1 {print $1}')
    kept_tets=$(head -c 64 "$dir/out.ele" | awk 'NR == 1 {print $1}')
    points=$(awk '{n = 2 * $1 + 32; print n * n * n}' "$dir/params.txt")
    # Arrays filled: nodes and kept nodes (3 doubles), elements and kept
    # elements (5 ints), the sampled grid (floats), per node the keep flag
    # (2 bytes), the renumbering entry (4) and a state byte, and per element
    # a decision bit.
    arrays=$((24 * (nodes + kept_nodes) + 20 * (tets + kept_tets) + 4 * points + 7 * nodes + tets / 8))
    values=$((points + 4 * nodes + 6 * tets))
    inputs=$(file_bytes "$dir"/mesh.node "$dir"/mesh.ele "$dir"/levelset.txt "$dir"/params.txt)
    outputs=$(file_bytes "$dir"/out.node "$dir"/out.ele)
    row "tetclean scale $scale" "$inputs" "$outputs" "$values" "$arrays" "tetclean-$scale"
    if [[ -n "$other" ]]; then
        row "other tetclean scale $scale" "$inputs" "$outputs" "$values" "$arrays" "other-$scale"
    fi
    rm -rf "$dir"
done
if $tetclean_only; then
    echo
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
    if [[ -n "$other" ]]; then
        awk '$1 == "tetclean" { t = $4; r = $6 } $1 == "other" { o = $5; q = $7 }
            END { printf "this tetclean / other, scale 1: median time %.3f, peak RSS %.3f\n", t / o, r / q }' \
            "$work/summary"
    fi
    exit 0
fi

dir="$work/volumes"
mkdir -p "$dir"
"$bin/bench/make_volume_workload" "$dir" "${volume[@]}" >/dev/null
voxels=$((volume[0] * volume[1] * volume[2]))
for pair in float_le float_be short_le short_be; do
    run_timed "voxdump-$pair" "$bin/apps/voxdump/voxdump" "$dir/$pair" "$dir/out.txt" \
        "$dir/size.txt" "$dir/resolution.txt"
    row "voxdump ${volume[0]}x${volume[1]}x${volume[2]} $pair" \
        "$(file_bytes "$dir/$pair.hdr" "$dir/$pair.img")" \
        "$(file_bytes "$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt")" "$voxels" \
        "$((4 * voxels))" "voxdump-$pair"
done

# The float volume as a gzip-compressed NIfTI-1 file, against gzip -dc of
# the same file to /dev/null, alternated run by run so both see the same load.
nii="$dir/float_le.nii.gz"
for name in voxdump-nii gzip-dc; do : >"$work/$name.times"; : >"$work/$name.rss"; done
for ((i = 0; i < runs; i++)); do
    run_once voxdump-nii "$bin/apps/voxdump/voxdump" "$nii" "$dir/out.txt" "$dir/size.txt" \
        "$dir/resolution.txt"
    run_once gzip-dc gzip -dc "$nii"
done
row "voxdump ${volume[0]}x${volume[1]}x${volume[2]} float_le.nii.gz" "$(file_bytes "$nii")" \
    "$(file_bytes "$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt")" "$voxels" \
    "$((4 * voxels))" voxdump-nii
row "gzip -dc float_le.nii.gz" "$(file_bytes "$nii")" "$((352 + 4 * voxels))" "$voxels" 0 gzip-dc

echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
if [[ -x "$bin/bench/number_text_bench" ]]; then
    min_time=$($tiny && echo 0.01 || echo 0.5)
    "$bin/bench/number_text_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_min_time="$min_time" --benchmark_format=csv 2>/dev/null |
        awk -F, '$1 ~ /_median"?$/ {
                gsub(/"/, "", $1); sub(/_median$/, "", $1); t[$1] = $3 }
            END {
                print "| micro-benchmark (1,000,000 values) | project ms | stream ms | speed-up | target |"
                print "|---|---|---|---|---|"
                n = split("scan_int scan_float scan_double format_double format_int", k, " ")
                for (i = 1; i <= n; i++) {
                    p = t["BM_" k[i] "_project"]; s = t["BM_" k[i] "_stream"]
                    goal = (k[i] ~ /^scan/) ? 6 : 4
                    verdict = (s / p >= goal) ? "met" : "MISSED"
                    printf "| %s | %.2f | %.2f | %.1fx | %dx %s |\n", k[i], p, s, s / p, goal, verdict
                }
            }'
else
    echo "(micro-benchmarks skipped: the benchmark library is not installed)"
fi

echo
awk -v tiny="$tiny" -v vol="${volume[0]}x${volume[1]}x${volume[2]}" '
    { median[$1 " " $2 " " $3] = $4; rate[$1 " " $2 " " $3] = $5; rss[NR] = $6; limit[NR] = $7; label[NR] = $1 " " $2 " " $3 }
    END {
        for (i = 1; i <= NR; i++)
            printf "peak RSS within 1.25 x arrays + 64 MiB, %s: %s\n", label[i], (rss[i] <= limit[i]) ? "met" : "MISSED"
        if (tiny == "true") exit
        s1 = rate["tetclean scale 1"]
        printf "tetclean scale 1, input MB/s >= 400: %.0f, %s\n", s1, (s1 >= 400) ? "met" : "MISSED"
        g = median["tetclean scale 4"] / median["tetclean scale 1"]
        printf "tetclean scale 4 time <= 4.4 x scale 1: %.2f x, %s\n", g, (g <= 4.4) ? "met" : "MISSED"
        n = median["voxdump " vol " float_le.nii.gz"] / median["gzip -dc float_le.nii.gz"]
        printf "voxdump on the .nii.gz against gzip -dc of it: %.2f x the time\n", n
    }' "$work/summary"
if ! $tiny; then
    sort -n "$work/voxdump-float_le.times" | awk -v voxels="$voxels" '
        { t[NR] = $1 } END { m = t[int((NR + 1) / 2)]; v = voxels / 1e6 / m
            printf "voxdump float volume, M voxels/s >= 80: %.0f, %s\n", v, (v >= 80) ? "met" : "MISSED" }'
fi
