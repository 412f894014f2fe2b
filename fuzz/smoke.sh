#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fuzz smoke run: every fuzz target for a bounded time, one after the other,
# from fresh seeds cut from examples/. Fails on any finding: a target that
# exits with an error, or a crash, leak, timeout or out-of-memory file left
# behind. Needs the fuzz preset built (cmake --workflow --preset fuzz).
#
#   fuzz/smoke.sh [seconds per target] [target ...]
#
# Default: 60 seconds for each of the ten targets. The corpora, logs and
# any findings stay in build/fuzz/smoke/, which each run starts afresh; with
# FUZZ_WORK set to another folder, the corpora there are kept and grown
# from one run to the next (for long runs).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_parameters fuzz_nodes fuzz_elements fuzz_level_set fuzz_level_set_volume
             fuzz_tetclean_run
             fuzz_analyze_reader fuzz_analyze_round_trip fuzz_nifti_reader fuzz_gzip_reader)
fi

bin=build/fuzz/fuzz
work=${FUZZ_WORK:-build/fuzz/smoke}
if [ -z "${FUZZ_WORK:-}" ]; then rm -rf "$work"; fi
rm -rf "$work/seeds" "$work/findings"
mkdir -p "$work"
"$bin/make_fuzz_seeds" examples "$work/seeds"

# The longest input each target is given: room for its seeds and a little
# more, small enough to keep every run fast.
max_len() {
    case $1 in
        fuzz_parameters) echo 512 ;;
        fuzz_tetclean_run) echo 12000 ;;
        fuzz_level_set) echo 6000 ;;
        fuzz_level_set_volume) echo 6000 ;;
        *) echo 4096 ;;
    esac
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
for target in "${targets[@]}"; do
    corpus=$work/corpus/$target
    findings=$work/findings/$target
    mkdir -p "$corpus" "$findings"
    cp "$work/seeds/$target"/* "$corpus/"
    status=0
    # -timeout: one input taking 10 s is a hang; -rss_limit_mb also bounds
    # any single allocation (libFuzzer's malloc limit follows it).
    "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" >"$work/$target.log" 2>&1 || status=$?
    left=$(find "$findings" -type f | wc -l)
    summary=$(grep -E '^#[0-9]+.*(DONE|pulse)' "$work/$target.log" | tail -n 1 || true)
    echo "$target: exit $status, $left finding(s); $summary"
    if [ "$status" -ne 0 ] || [ "$left" -ne 0 ]; then
        failed=1
        echo "---- last lines of $work/$target.log" >&2
        tail -n 40 "$work/$target.log" >&2
    fi
done
exit $failed
