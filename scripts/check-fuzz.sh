#!/usr/bin/env bash
# Fuzzing of the readers of the world's files and of the world checker, in build-fuzz
# (`cmake --preset fuzz`).
#   scripts/check-fuzz.sh short   each target replays its seed corpus (fuzz/corpus/<target>),
#                                 then fuzzes for FUZZ_SECONDS (15) from a fixed seed
#   scripts/check-fuzz.sh long    each target in turn, one at a time, until 10 million runs
#                                 or FUZZ_LONG_SECONDS (1800); the corpus it grows is kept in
#                                 build-fuzz/fuzz-corpus/<target>, logs in build-fuzz/fuzz-logs
# Names after the mode pick targets (terrain objects model texture world checker); default all.
# A target fails on a crash, a sanitizer report, a failed check, a leak, a run over 1 s or
# more than 2 GiB. Inputs that failed are written to build-fuzz/fuzz-artifacts/. Every target
# runs even when one fails; the status is 1 when any failed.
set -euo pipefail

mode=${1:-short}
[[ $mode == short || $mode == long ]] || {
    echo "usage: $0 short|long [target...]" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
cd "$root"

# Per target: the largest input (a 64 KiB terrain stays far below the cell limit once the
# targets skip any grid over 4,096 cells) and extra options.
declare -A maxLen=([terrain]=65536 [objects]=16384 [model]=16384 [texture]=16384 [world]=65536
                  [checker]=65536)
declare -A extra=([model]="-dict=$root/fuzz/model.dict")
targets=(terrain objects model texture world checker)
if [[ $# -gt 1 ]]; then
    for target in "${@:2}"; do
        [[ -n ${maxLen[$target]:-} ]] || {
            echo "unknown target: $target (${targets[*]})" >&2
            exit 2
        }
    done
    targets=("${@:2}")
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}" >/dev/null

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"

common=(-timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=2048 -detect_leaks=1)
failed=()

summary()
{
    local log=$1
    local runs rate slowest rss
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$log" | tail -n 1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
    echo "runs ${runs:-?}, ${rate:-?}/s, slowest ${slowest:-?} s, peak rss ${rss:-?} MB"
}

for target in "${targets[@]}"; do
    binary=$build/fuzz/${target}_fuzz
    seeds=$root/fuzz/corpus/$target
    options=("${common[@]}" -max_len="${maxLen[$target]}" ${extra[$target]:-}
             -artifact_prefix="$build/fuzz-artifacts/$target-")
    log=$build/fuzz-logs/$target-$mode.log
    if [[ $mode == short ]]; then
        # Every seed once (the regression inputs among them), then a short run from a fixed
        # seed in a fresh corpus, so that the time goes to fuzzing, not to replaying.
        status=0
        "$binary" "${options[@]}" "$seeds"/* >"$log" 2>&1 || status=$?
        if [[ $status -eq 0 ]]; then
            work=$(mktemp -d "$build/fuzz-short-$target.XXXXXX")
            "$binary" "${options[@]}" -seed=1 -max_total_time="${FUZZ_SECONDS:-15}" \
                -print_final_stats=1 "$work" "$seeds" >>"$log" 2>&1 || status=$?
            rm -rf "$work"
        fi
    else
        work=$build/fuzz-corpus/$target
        mkdir -p "$work"
        started=$SECONDS
        status=0
        "$binary" "${options[@]}" -runs=10000000 -max_total_time="${FUZZ_LONG_SECONDS:-1800}" \
            -print_final_stats=1 "$work" "$seeds" >"$log" 2>&1 || status=$?
        echo "time $((SECONDS - started)) s" >>"$log"
    fi
    if [[ $status -eq 0 ]]; then
        echo "fuzz $target ($mode): ok, $(summary "$log")"
    else
        echo "fuzz $target ($mode): FAILED (status $status), log $log"
        { grep -E 'ERROR:|SUMMARY:|check failed|Test unit written|Running:' "$log" || true; } |
            tail -n 8 | sed 's/^/    /'
        failed+=("$target")
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz targets that failed: ${failed[*]}"
    exit 1
fi
