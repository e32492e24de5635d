#!/usr/bin/env bash
# Every benchmark in one command, on an already built tree (it builds nothing): the frame
# check (one frame issues the same GL calls on every world size, recorded with apitrace),
# the Google benchmarks under Xvfb (medians of 5 repetitions run in random order), then the
# start-up of the real game.
# Results also go to <build>/bench-results/. Extra arguments go to the Google benchmarks,
# e.g. --benchmark_filter=Frame.
# Usage: bench/run.sh [build-folder] [benchmark flags...]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd) || exit 2
shift $(($# > 0 ? 1 : 0))
for program in bench/vantora_bench bench/vantora_frame_check vantora tools/worldgen/vantora-worldgen; do
    if [[ ! -x $build/$program ]]; then
        echo "run: $build/$program is missing; build first (cmake --build $build)" >&2
        exit 2
    fi
done
if ! command -v apitrace >/dev/null; then
    echo "run: apitrace is missing (Debian package apitrace); the frame check records with it" >&2
    exit 2
fi
results=$build/bench-results
mkdir -p "$results"
status=0

# One private display for the frame check and the Google benchmarks (scripts/xvfb.sh),
# stopped before the start-up benchmark, which starts its own.
# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
trap xvfb_stop EXIT
xvfb_start 640x640 || exit 2

echo "== Frame check"
"$build/bench/vantora_frame_check" | tee "$results/frame_check.txt" || status=1

echo
echo "== Google benchmarks"
"$build/bench/vantora_bench" --benchmark_repetitions=5 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_out="$results/benchmarks.json" --benchmark_out_format=json "$@" |
    tee "$results/benchmarks.txt" || status=1
xvfb_stop

echo
echo "== Start-up"
"$root/bench/startup.sh" "$build" | tee "$results/startup.txt" || status=1

exit $status
