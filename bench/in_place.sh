#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What cleaning in place costs: tetclean writing over copies of its own
# inputs (each output flushed to disk before it replaces its input, and its
# folder after) against writing to new names (not flushed), on the scale-1
# workload of bench/run.sh.
#
#   bench/in_place.sh [scale] [runs]     (defaults: 1, 5)
#
# The two kinds of run alternate, so both see the same machine load; fresh
# copies of the inputs are made before every in-place run, outside the
# timing. Prints the median, minimum and maximum wall time of each and the
# ratio of the medians; where strace is installed, also the time one
# in-place run spends inside fsync, which on a busy machine is far below
# the spread of the wall times.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}
runs=${2:-5}

cmake --preset release >/dev/null
cmake --build --preset release --target tetclean make_workload >/dev/null
bin=build/release

work=$(mktemp -d "${TMPDIR:-/tmp}/levelset-in-place.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bin/bench/make_workload" "$work" "$scale" >/dev/null
cd "$work"

seconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    awk -v ns="$((end - start))" 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
tetclean=$OLDPWD/$bin/tetclean/tetclean
: >new.times
: >in_place.times
for ((i = 0; i < runs; i++)); do
    sync
    seconds "$tetclean" mesh.node mesh.ele out.node out.ele levelset.txt params.txt >>new.times
    cp mesh.node copy.node
    cp mesh.ele copy.ele
    sync
    seconds "$tetclean" copy.node copy.ele copy.node copy.ele levelset.txt params.txt >>in_place.times
done

summary() { sort -n "$1" | awk '{ t[NR] = $1 } END { printf "%.3f %.3f %.3f\n", t[int((NR + 1) / 2)], t[1], t[NR] }'; }
read -r new_median new_min new_max < <(summary new.times)
read -r in_median in_min in_max < <(summary in_place.times)
echo "| tetclean scale $scale, $runs runs each | median s | min s | max s |"
echo "|---|---|---|---|"
echo "| to new names | $new_median | $new_min | $new_max |"
echo "| over its inputs (flushed) | $in_median | $in_min | $in_max |"
awk -v a="$in_median" -v b="$new_median" 'BEGIN { printf "in place / new names: %.2f x (+%.3f s)\n", a / b, a - b }'
if command -v strace >/dev/null; then
    cp mesh.node copy.node
    cp mesh.ele copy.ele
    sync
    strace -T -e trace=fsync -o fsync.trace "$tetclean" copy.node copy.ele copy.node copy.ele levelset.txt params.txt >/dev/null
    awk -F'<' '/^fsync/ { sub(/>.*/, "", $2); total += $2; n++ }
        END { printf "one in-place run: %d fsync calls, %.3f s in all\n", n, total }' fsync.trace
fi
