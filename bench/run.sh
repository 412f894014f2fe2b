#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Benchmarks both tools and the number text micro-benchmarks.
#
#   bench/run.sh            full run: tetclean at scales 1, 2 and 4, voxdump
#                           on 256 x 256 x 180 volumes, pairs and a .nii.gz
#                           timed against gzip -dc (some ten minutes, some
#                           4 GB of temporary files)
#   bench/run.sh --tiny     the same steps on tiny inputs, for CI (seconds)
#   bench/run.sh --tetclean [OTHER [SCALE...]]
#                           tetclean at scale 1 (or the SCALEs) alone; with
#                           OTHER (another tetclean binary, such as one
#                           built before a change), the two are run
#                           alternately in every scenario and the last
#                           lines give the ratios of their medians
#   bench/run.sh --tetclean-vtu [OTHER]
#                           tetclean at scale 1, threaded, with and without
#                           --vtu, alternated; a last line gives the ratio of
#                           their medians. With OTHER (a tetclean that writes
#                           its .vtu another way) that one's --vtu runs too
#   bench/run.sh --voxdump [OTHER]
#                           voxdump on the 256 x 256 x 180 pairs alone (a
#                           minute); with OTHER (another voxdump binary),
#                           its serial and threaded runs are alternated
#                           with these and get rows of their own
#
# Builds the release preset, writes the workloads into a temporary folder
# (removed at the end) and runs every tool 5 times per workload with one
# thread (--threads 1, "serial") and with two ("threaded"), the two
# alternated run by run. It prints one table row per workload and variant:
# wall time (median, min, max), input and output MB/s (10^6 bytes) and
# values per second from the median, peak resident memory (the largest of
# the runs) next to the bytes of the arrays the run fills and the limit
# 1.25 x arrays + 64 MiB, and the median's ratio to the serial median of the
# same workload. tetclean at scales 1 and 4 is measured in three scenarios,
# alternated run by run as well: with 10 s of idling before every run
# ("idle"), when the system has had time to take freed memory back; right
# after the run before it ("warm"); and right after another memory-heavy
# program has run and exited ("after another process": bench/fragment_memory
# touches 4 GiB in scattered blocks and leaves free memory in small pieces,
# as a pipeline's earlier step does). Scale 2 runs warm. The targets are
# checked below the table; a missed target is reported, not fatal. At the
# first scale, threaded tetclean also runs with its grid as text, as a
# float32 .nii and as a .nii.gz, alternated, against the text grid's median.
set -euo pipefail
cd "$(dirname "$0")/.."

tiny=false
tetclean_only=false
vtu_only=false
voxdump_only=false
other=""
[[ "${1:-}" == "--tiny" ]] && tiny=true
if [[ "${1:-}" == "--tetclean" || "${1:-}" == "--voxdump" || "${1:-}" == "--tetclean-vtu" ]]; then
    [[ "$1" == "--voxdump" ]] && voxdump_only=true || tetclean_only=true
    [[ "$1" == "--tetclean-vtu" ]] && vtu_only=true
    other=${2:+$(realpath "$2")}
    tetclean_scales=("${@:3}")
fi
runs=5

cmake --preset release >/dev/null
targets=(tetclean voxdump make_workload make_volume_workload level_set_nifti fragment_memory)
# The micro-benchmarks exist where the benchmark library is installed.
if grep -q number_text_bench build/release/build.ninja; then targets+=(number_text_bench); fi
cmake --build --preset release --target "${targets[@]}" >/dev/null
bin=build/release

work=$(mktemp -d "${TMPDIR:-/tmp}/levelset-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

idle_seconds=10
fragment_mib=4096
if $tiny; then
    scales=(0.002)
    volume=(32 32 16)
    idle_seconds=1
    fragment_mib=64
    runs=3
elif $tetclean_only; then
    scales=("${tetclean_scales[@]:-1}")
    runs=9
elif $voxdump_only; then
    scales=()
    volume=(256 256 180)
    runs=9
else
    scales=(1 2 4)
    volume=(256 256 180)
fi
# BENCH_RUNS=N changes the runs per variant, for a shorter look.
runs=${BENCH_RUNS:-$runs}

# The output files of the workload being run. Every run writes them afresh:
# the previous run's are deleted before the clock starts, because freeing a
# file of tens of megabytes is the file system's work, not the tool's (on a
# disk mounted with `discard` it took a fifth of a threaded voxdump run).
fresh_outputs=()
# run_once <name> <command...>: one timed run; appends the wall time
# (seconds) to $work/<name>.times and the peak RSS (KiB) to $work/<name>.rss.
# The run's outputs are written back to disk after it, off the clock.
run_once() {
    local name=$1 start end
    shift
    if ((${#fresh_outputs[@]})); then
        rm -f "${fresh_outputs[@]}"
        sync
    fi
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/$name.rss.one" "$@" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))" | awk '{printf "%.6f\n", $1 / 1e6}' >>"$work/$name.times"
    cat "$work/$name.rss.one" >>"$work/$name.rss"
    sync
}
# before_<scenario> <command...>: what comes just before each timed run of
# the command, off the clock. "idle" gives the system time to take freed
# memory back; "warm" runs the same command once, so that the timed run
# comes right after a run of the same binary (when binaries alternate, the
# run before would otherwise be the other one's); "after" runs another
# program that touches $fragment_mib MiB in scattered blocks, frees half of
# them in a scattered order, touches more and exits, leaving a small output
# file whose pages lie among the freed ones.
before_idle() { sleep "$idle_seconds"; }
before_warm() { "$@" >/dev/null; }
before_after() { "$bin/bench/fragment_memory" "$fragment_mib" "$work/other-process.out"; }
declare -A scenario_label=([idle]="idle" [warm]="warm" [after]="after another process")
# run_variants <name> <scenario>... -- <variant:arguments>... -- <command...>:
# runs the command $runs times per scenario and variant, all alternated run
# by run; scenario "warm" with variant "serial:--threads 1" runs `command
# --threads 1 ...` into $work/<name>-warm-serial.*. A variant
# "other-<label>:<arguments>" runs the binary $other with the arguments.
run_variants() {
    local name=$1 scenarios=() variants=()
    shift
    while [[ $1 != "--" ]]; do
        scenarios+=("$1")
        shift
    done
    shift
    while [[ $1 != "--" ]]; do
        variants+=("$1")
        shift
    done
    shift
    for scenario in "${scenarios[@]}"; do
        for variant in "${variants[@]}"; do
            : >"$work/$name-$scenario-${variant%%:*}.times"
            : >"$work/$name-$scenario-${variant%%:*}.rss"
        done
    done
    for ((i = 0; i < runs; i++)); do
        for scenario in "${scenarios[@]}"; do
            for variant in "${variants[@]}"; do
                local label=${variant%%:*} arguments=${variant#*:} binary=$1
                [[ $label == other-* ]] && binary=$other
                # shellcheck disable=SC2086 # the variant's arguments are words
                "before_$scenario" "$binary" $arguments "${@:2}"
                # shellcheck disable=SC2086
                run_once "$name-$scenario-$label" "$binary" $arguments "${@:2}"
            done
        done
    done
}
both_variants=("serial:--threads 1" "threaded:--threads 2")

file_bytes() { stat -c %s "$@" | awk '{s += $1} END {print s}'; }

median_of() { sort -n "$1" | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }

# row <label> <variant> <input bytes> <output bytes> <values> <array bytes>
# <name> <base>: one table row for the runs in $work/<name>.*, with the
# median's ratio to the median of $work/<base>.times; a summary line goes to
# $work/summary ("label|variant|median|input MB/s|rss bytes|limit bytes|ratio").
row() {
    local label=$1 variant=$2 input=$3 output=$4 values=$5 arrays=$6 name=$7 base=$8
    sort -n "$work/$name.times" | awk -v label="$label" -v variant="$variant" \
        -v input="$input" -v output="$output" -v values="$values" -v arrays="$arrays" \
        -v base="$(median_of "$work/$base.times")" -v rss="$(sort -n "$work/$name.rss" | tail -1)" '
        { t[NR] = $1 }
        END {
            median = t[int((NR + 1) / 2)]
            limit = 1.25 * arrays + 64 * 1048576
            printf "| %s | %s | %.1f | %.1f | %.3f | %.3f | %.3f | %.0f | %.0f | %.1f | %.0f | %.0f | %.0f | %.2f |\n",
                label, variant, input / 1e6, output / 1e6, median, t[1], t[NR],
                input / 1e6 / median, output / 1e6 / median, values / 1e6 / median,
                rss / 1024, arrays / 1048576, limit / 1048576, median / base
            printf "%s|%s|%.6f|%.6f|%.0f|%.0f|%.4f\n", label, variant, median,
                input / 1e6 / median, rss * 1024, limit, median / base > "/dev/stderr"
        }' 2>>"$work/summary"
}
# rows <label> <input bytes> <output bytes> <values> <array bytes> <name>:
# the serial and the threaded row of one workload.
rows() {
    for variant in serial threaded; do row "$1" "$variant" "${@:2:4}" "$6-$variant" "$6-serial"; done
}

# The cores a run can have right now: on a shared or virtual machine two
# cores may give less than twice the work of one. Two CPU-bound loops, one
# on each of the first two cores, against one alone; 1.00 is two free cores,
# 2.00 is one core's worth of time for both.
parallel_capacity() {
    local loop='BEGIN { for (i = 0; i < 3e6; i++) x += i % 7 }' start alone both
    if (($(nproc) < 2)); then
        echo "n/a"
        return
    fi
    start=$(date +%s%N)
    taskset -c 0 awk "$loop"
    alone=$(($(date +%s%N) - start))
    start=$(date +%s%N)
    taskset -c 0 awk "$loop" &
    taskset -c 1 awk "$loop"
    wait
    both=$(($(date +%s%N) - start))
    awk -v a="$alone" -v b="$both" 'BEGIN { printf "%.2f", b / a }'
}

echo "machine: $(nproc) cores, $(awk '/model name/ {$1 = $2 = $3 = ""; print; exit}' /proc/cpuinfo | sed 's/^ *//'), $(free -g | awk '/Mem:/ {print $2}') GiB; load before: $(cut -d' ' -f1-3 /proc/loadavg); two loops on two cores take $(parallel_capacity) x the time of one"
echo
echo "| run | threads | input MB | output MB | median s | min s | max s | input MB/s | output MB/s | M values/s | peak RSS MiB | arrays MiB | RSS limit MiB | x serial |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"

# grid_formats <folder> <scale> <values> <array bytes>: threaded tetclean
# with the workload's grid as text, as a float32 NIfTI-1 file and as the
# same gzip-compressed, alternated run by run; each row's last column is its
# ratio to the text grid's median.
grid_formats() {
    local dir=$1 scale=$2 values=$3 arrays=$4 format ratio
    "$bin/bench/level_set_nifti" "$dir/levelset.txt" "$dir/params.txt" "$dir/levelset.nii"
    "$bin/bench/level_set_nifti" "$dir/levelset.txt" "$dir/params.txt" "$dir/levelset.nii.gz"
    sync
    for format in txt nii nii.gz; do : >"$work/grid-$format.times" >"$work/grid-$format.rss"; done
    for ((i = 0; i < runs; i++)); do
        for format in txt nii nii.gz; do
            run_once "grid-$format" "$bin/apps/tetclean/tetclean" --threads 2 "$dir/mesh.node" \
                "$dir/mesh.ele" "$dir/out.node" "$dir/out.ele" "$dir/levelset.$format" \
                "$dir/params.txt"
        done
    done
    for format in txt nii nii.gz; do
        row "tetclean scale $scale levelset.$format" threaded \
            "$(file_bytes "$dir"/mesh.node "$dir"/mesh.ele "$dir/levelset.$format" "$dir"/params.txt)" \
            "$(file_bytes "$dir"/out.node "$dir"/out.ele)" "$values" "$arrays" "grid-$format" grid-txt
    done
    ratio=$(awk -v a="$(median_of "$work/grid-nii.times")" -v b="$(median_of "$work/grid-txt.times")" \
        'BEGIN { printf "%.2f", a / b }')
    grid_target="tetclean scale $scale, threaded, grid as .nii <= 0.8 x text: $ratio x, $(
        awk -v r="$ratio" 'BEGIN { print (r <= 0.8) ? "met" : "MISSED" }')"
}
grid_target=""

for scale in "${scales[@]+"${scales[@]}"}"; do
    dir="$work/tetclean-$scale"
    mkdir -p "$dir"
    "$bin/bench/make_workload" "$dir" "$scale" >/dev/null
    # The workload on disk before the clock starts: writing back a GB of
    # fresh files would take a core from the first runs.
    sync
    command=("$bin/apps/tetclean/tetclean" "$dir/mesh.node" "$dir/mesh.ele" "$dir/out.node"
        "$dir/out.ele" "$dir/levelset.txt" "$dir/params.txt")
    fresh_outputs=("$dir/out.node" "$dir/out.ele")
    nodes=$(head -c 64 "$dir/mesh.node" | awk 'NR == 1 {print $1}')
    tets=$(head -c 64 "$dir/mesh.ele" | awk 'NR == 1 {print $1}')
    points=$(awk '{n = 2 * $1 + 32; print n * n * n}' "$dir/params.txt")
    # Arrays filled: the nodes (3 doubles), the elements (5 ints; zero
    # removal keeps the survivors in place), the sampled grid (floats), per
    # node the renumbering entry (4 bytes) and a state byte, and per element
    # a decision bit.
    arrays=$((24 * nodes + 20 * tets + 4 * points + 5 * nodes + tets / 8))
    values=$((points + 4 * nodes + 6 * tets))
    inputs=$(file_bytes "$dir"/mesh.node "$dir"/mesh.ele "$dir"/levelset.txt "$dir"/params.txt)
    if $vtu_only; then
        fresh_outputs+=("$dir/out.vtu")
        variants=("plain:--threads 2" "vtu:--threads 2 --vtu $dir/out.vtu")
        [[ -n "$other" ]] && variants+=("other-vtu:--threads 2 --vtu $dir/out.vtu")
        run_variants "tetclean-$scale" warm -- "${variants[@]}" -- "${command[@]}"
        for variant in "${variants[@]}"; do
            label=${variant%%:*}
            row "tetclean scale $scale" "threaded, $label" "$inputs" \
                "$(file_bytes "$dir"/out.node "$dir"/out.ele)" "$values" "$arrays" \
                "tetclean-$scale-warm-$label" "tetclean-$scale-warm-plain"
        done
        echo "(output MB: the node and element files; the .vtu file: $(file_bytes "$dir/out.vtu" | awk '{printf "%.1f", $1 / 1e6}') MB)"
        rm -rf "$dir"
        continue
    fi
    # Every scenario at the first and the last scale, warm between.
    scenarios=(warm)
    [[ $scale == "${scales[0]}" || $scale == "${scales[-1]}" ]] && scenarios=(idle warm after)
    variants=("${both_variants[@]}")
    [[ -n "$other" ]] && variants+=("other-serial:--threads 1" "other-threaded:--threads 2")
    run_variants "tetclean-$scale" "${scenarios[@]}" -- "${variants[@]}" -- "${command[@]}"
    outputs=$(file_bytes "$dir"/out.node "$dir"/out.ele)
    for scenario in "${scenarios[@]}"; do
        label="tetclean scale $scale"
        ((${#scenarios[@]} > 1)) && label+=", ${scenario_label[$scenario]}"
        name="tetclean-$scale-$scenario"
        rows "$label" "$inputs" "$outputs" "$values" "$arrays" "$name"
        if [[ -n "$other" ]]; then
            for variant in serial threaded; do
                row "$label" "other $variant" "$inputs" "$outputs" "$values" "$arrays" \
                    "$name-other-$variant" "$name-other-serial"
            done
        fi
    done
    [[ $scale == "${scales[0]}" ]] && grid_formats "$dir" "$scale" "$values" "$arrays"
    rm -rf "$dir"
done
# tetclean's targets from $work/summary, for this binary and for OTHER; with
# OTHER, the ratios of this one's medians and peak memory to OTHER's.
tetclean_targets() {
    awk -F'|' -v tiny="$tiny" -v first="tetclean scale ${scales[0]}" -v last="tetclean scale ${scales[-1]}" '
        $1 ~ /^tetclean / { key = $1 "|" $2; median[key] = $3; rss[key] = $5; ratio[key] = $7; order[++n] = key }
        END {
            if (tiny == "true") exit
            split("idle|warm|after another process", scenario, "|")
            for (p = 1; p <= 2; p++) {
                who = p == 1 ? "" : "other "
                if (!((first ", warm|" who "threaded") in median)) continue
                for (i = 1; i <= n; i++) {
                    split(order[i], part, "|")
                    if (part[2] != who "threaded" || part[1] ~ /levelset\./) continue
                    printf "%s, %sthreaded <= 0.6 x serial: %.2f x, %s\n", part[1], who, ratio[order[i]],
                        (ratio[order[i]] <= 0.6) ? "met" : "MISSED"
                }
                a = median[first ", after another process|" who "threaded"] / median[first ", warm|" who "threaded"]
                printf "%s, %sthreaded, after another process <= 1.1 x warm: %.2f x, %s\n", first, who, a,
                    (a <= 1.1) ? "met" : "MISSED"
                if (first == last) continue
                for (s = 1; s <= 3; s++) for (v = 1; v <= 2; v++) {
                    variant = who (v == 1 ? "serial" : "threaded")
                    g = median[last ", " scenario[s] "|" variant] / median[first ", " scenario[s] "|" variant]
                    printf "%s time <= 4.2 x %s, %s, %s: %.2f x, %s\n", last, first, scenario[s], variant, g,
                        (g <= 4.2) ? "met" : "MISSED"
                }
            }
            for (i = 1; i <= n; i++) {
                split(order[i], part, "|")
                if (part[2] ~ /^other/ || !((part[1] "|other " part[2]) in median)) continue
                o = part[1] "|other " part[2]
                printf "this tetclean / other, %s, %s: median time %.3f, peak RSS %.3f\n", part[1], part[2],
                    median[order[i]] / median[o], rss[order[i]] / rss[o]
            }
        }' "$work/summary"
}
if $tetclean_only; then
    echo
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
    [[ -n "$grid_target" ]] && echo "$grid_target"
    if $vtu_only; then
        awk -F'|' '$2 ~ /vtu$/ { printf "%s / without, scale 1: median time %.3f x, %s\n", $2, $7, ($7 <= 1.5) ? "within 1.5 x" : "MISSED 1.5 x" }' \
            "$work/summary"
    else
        echo
        tetclean_targets
    fi
    exit 0
fi

dir="$work/volumes"
mkdir -p "$dir"
"$bin/bench/make_volume_workload" "$dir" "${volume[@]}" >/dev/null
sync
voxels=$((volume[0] * volume[1] * volume[2]))
variants=("${both_variants[@]}")
[[ -n "$other" ]] && variants+=("other-serial:--threads 1" "other-threaded:--threads 2")
fresh_outputs=("$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt")
for pair in float_le float_be short_le short_be; do
    run_variants "voxdump-$pair" warm -- "${variants[@]}" -- "$bin/apps/voxdump/voxdump" \
        "$dir/$pair" "$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt"
    label="voxdump ${volume[0]}x${volume[1]}x${volume[2]} $pair"
    sizes=("$(file_bytes "$dir/$pair.hdr" "$dir/$pair.img")"
        "$(file_bytes "$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt")" "$voxels" "$((4 * voxels))")
    rows "$label" "${sizes[@]}" "voxdump-$pair-warm"
    if [[ -n "$other" ]]; then
        for variant in serial threaded; do
            row "$label" "other $variant" "${sizes[@]}" "voxdump-$pair-warm-other-$variant" \
                "voxdump-$pair-warm-other-serial"
        done
    fi
done
if $voxdump_only; then
    echo
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
    exit 0
fi

# The float volume as a gzip-compressed NIfTI-1 file, serial and threaded,
# against gzip -dc of the same file to /dev/null, alternated run by run so
# all see the same load.
nii="$dir/float_le.nii.gz"
for name in voxdump-nii-serial voxdump-nii-threaded gzip-dc; do
    : >"$work/$name.times" >"$work/$name.rss"
done
for ((i = 0; i < runs; i++)); do
    for threads in 1 2; do
        name=voxdump-nii-serial
        ((threads == 2)) && name=voxdump-nii-threaded
        run_once "$name" "$bin/apps/voxdump/voxdump" --threads "$threads" "$nii" "$dir/out.txt" \
            "$dir/size.txt" "$dir/resolution.txt"
    done
    voxdump_outputs=("${fresh_outputs[@]}")
    fresh_outputs=()
    run_once gzip-dc gzip -dc "$nii"
    fresh_outputs=("${voxdump_outputs[@]}")
done
rows "voxdump ${volume[0]}x${volume[1]}x${volume[2]} float_le.nii.gz" "$(file_bytes "$nii")" \
    "$(file_bytes "$dir/out.txt" "$dir/size.txt" "$dir/resolution.txt")" "$voxels" \
    "$((4 * voxels))" voxdump-nii
row "gzip -dc float_le.nii.gz" "-" "$(file_bytes "$nii")" "$((352 + 4 * voxels))" "$voxels" 0 \
    gzip-dc voxdump-nii-serial

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
awk -F'|' -v tiny="$tiny" -v vol="${volume[0]}x${volume[1]}x${volume[2]}" '
    {
        key = $1 "|" $2; median[key] = $3; rate[key] = $4; ratio[key] = $7; order[NR] = key
        if ($6 > 0)
            printf "peak RSS within 1.25 x arrays + 64 MiB, %s, %s: %s\n", $1, $2, ($5 <= $6) ? "met" : "MISSED"
        if ($2 == "serial") serial_rss[$1] = $5
        # The tiny runs are mostly the program itself, not its arrays.
        if ($2 == "threaded" && tiny != "true")
            printf "peak RSS threaded within 1.1 x serial, %s: %.2f x, %s\n", $1, $5 / serial_rss[$1],
                ($5 <= 1.1 * serial_rss[$1]) ? "met" : "MISSED"
    }
    END {
        if (tiny == "true") exit
        for (i = 1; i <= NR; i++) {
            split(order[i], part, "|")
            if (part[2] != "threaded") continue
            if (part[1] ~ /float_le$/)
                printf "%s, threaded <= 0.7 x serial: %.2f x, %s\n", part[1], ratio[order[i]], (ratio[order[i]] <= 0.7) ? "met" : "MISSED"
        }
        for (v = 1; v <= 2; v++) {
            variant = v == 1 ? "serial" : "threaded"
            s1 = rate["tetclean scale 1, warm|" variant]
            printf "tetclean scale 1, warm, %s, input MB/s >= 400: %.0f, %s\n", variant, s1, (s1 >= 400) ? "met" : "MISSED"
            n = median["voxdump " vol " float_le.nii.gz|" variant] / median["gzip -dc float_le.nii.gz|-"]
            printf "voxdump on the .nii.gz, %s, against gzip -dc of it: %.2f x the time\n", variant, n
        }
    }' "$work/summary"
$tiny || echo "$grid_target"
tetclean_targets
if ! $tiny; then
    for variant in serial threaded; do
        median_of "$work/voxdump-float_le-warm-$variant.times" | awk -v voxels="$voxels" -v variant="$variant" '
            { v = voxels / 1e6 / $1
              printf "voxdump float volume, %s, M voxels/s >= 80: %.0f, %s\n", variant, v, (v >= 80) ? "met" : "MISSED" }'
    done
fi
