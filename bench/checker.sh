#!/usr/bin/env bash
# The world checker on the largest world the generator writes (2048 x 2048, seed 7): wall time
# and peak resident memory (/usr/bin/time -v) of `vantora-check FOLDER` and of
# `vantora-check --picture FILE.png FOLDER`, medians of the runs, with the bounds a map author
# can live with after every edit: at most 0.08 s and 24 MiB for the check, 1.5 s and 160 MiB
# with the picture. Exits 1 when a median misses its bound. Several builds given are run in
# turn on the same world, their runs alternating, so that a before and an after compare fairly.
# Usage: bench/checker.sh [build-folder...] [--runs N] (default: build, 5 runs)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=5
builds=()
while [[ $# -gt 0 ]]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    *) builds+=("$(cd "$1" && pwd)"); shift ;;
    esac
done
[[ ${#builds[@]} -gt 0 ]] || builds=("$root/build")
for build in "${builds[@]}"; do
    for program in tools/checker/vantora-check tools/worldgen/vantora-worldgen; do
        if [[ ! -x $build/$program ]]; then
            echo "checker: $build/$program is missing; build first (cmake --build $build)" >&2
            exit 2
        fi
    done
done

work=$(mktemp -d /tmp/vantora-checker-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
"${builds[0]}/tools/worldgen/vantora-worldgen" 2048 2048 7 "$work/world" >/dev/null

# One run: sets seconds (the wall clock around it, to the millisecond) and kib (the peak
# resident memory /usr/bin/time -v reports). The checker's own exit status does not matter.
measure() {
    local timing=$work/time.txt begin end
    begin=$(date +%s%N)
    /usr/bin/time -v -o "$timing" "$@" >/dev/null || true
    end=$(date +%s%N)
    seconds=$(awk -v b="$begin" -v e="$end" 'BEGIN { printf "%.3f", (e - b) / 1e9 }')
    kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$timing")
}

median() {
    tr ' ' '\n' | grep . | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

declare -A times memory
for ((run = 1; run <= runs; run++)); do
    for i in "${!builds[@]}"; do
        check=${builds[$i]}/tools/checker/vantora-check
        measure "$check" "$work/world"
        times[$i,check]+="$seconds "
        memory[$i,check]+="$kib "
        measure "$check" --picture "$work/world.png" "$work/world"
        times[$i,picture]+="$seconds "
        memory[$i,picture]+="$kib "
    done
done

status=0
echo "vantora-check on a generated 2048 x 2048 world (seed 7), $runs runs, medians:"
for i in "${!builds[@]}"; do
    echo "  ${builds[$i]}"
    for what in check picture; do
        t=$(median <<<"${times[$i,$what]}")
        m=$(median <<<"${memory[$i,$what]}")
        if [[ $what == check ]]; then
            label="FOLDER              "
            verdict=$(awk -v t="$t" -v m="$m" 'BEGIN { print (t <= 0.08 && m <= 24 * 1024) ? "ok" : "MISSED" }')
        else
            label="--picture FILE.png  "
            verdict=$(awk -v t="$t" -v m="$m" 'BEGIN { print (t <= 1.5 && m <= 160 * 1024) ? "ok" : "MISSED" }')
        fi
        printf '    %s %6.3f s %8d KiB (%.1f MiB)  [%s] [%s]  %s\n' "$label" "$t" "$m" \
            "$(awk -v m="$m" 'BEGIN { print m / 1024 }')" "${times[$i,$what]% }" \
            "${memory[$i,$what]% }" "$verdict"
        [[ $verdict == ok ]] || status=1
    done
done
exit $status
