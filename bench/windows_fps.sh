#!/usr/bin/env bash
# The frame rate of the Windows game under Wine beside the Linux game's, in one run on one
# private display (Xvfb, Mesa's software renderer): for each build the median frames per
# second of several samples in two views of the bundled world, the start view (wire-frame,
# hidden lines removed) and the same place filled, lit and textured ("p", "k", "t"). The
# games run one after the other, each moved to the screen's origin, with time frozen at the
# same second so that the people stand on the same cells. Each build runs as it is shipped:
# the Linux game gets no stand-ins for what Windows gives the Windows game.
#
# How frames are counted: the game draws frames back to back (display is also GLUT's idle
# callback) and every frame ends in one glXSwapBuffers, the Linux game's through freeglut,
# the Windows game's through Wine's OpenGL, which ends in the same function of this
# machine's libGL. The preload bench/swap_counter.cpp (target vantora_swap_counter) counts
# those calls and writes "COUNT NANOSECONDS" (CLOCK_MONOTONIC of the swap) to a file about
# every 100 ms; it is preloaded into the Linux game and into `wine`. A sample's rate is the
# difference of two such readings, seconds apart: frames over the time between the two swaps
# that wrote them.
#
# Usage: bench/windows_fps.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
# LINUX_BUILD_DIR holds vantora and bench/libvantora_swap_counter.so (or set
# VANTORA_SWAP_COUNTER), WINDOWS_BUILD_DIR vantora.exe. VANTORA_FPS_SAMPLES (5),
# VANTORA_FPS_SECONDS (2, per sample) and VANTORA_FPS_WARMUP (2 s before the first sample of
# a view) change the measurement. The table also goes to
# LINUX_BUILD_DIR/bench-results/windows_fps.txt. Exit status 2: something is missing.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 LINUX_BUILD_DIR WINDOWS_BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
linux_build=$(cd "$1" && pwd) || exit 2
windows_build=$(cd "$2" && pwd) || exit 2
export VANTORA_SOURCE_DIR=$root
export VANTORA_BIN=$linux_build/vantora
export VANTORA_EXE=$windows_build/vantora.exe
counter=${VANTORA_SWAP_COUNTER:-$linux_build/bench/libvantora_swap_counter.so}
samples=${VANTORA_FPS_SAMPLES:-5}
seconds=${VANTORA_FPS_SECONDS:-2}
warmup=${VANTORA_FPS_WARMUP:-2}
for file in "$VANTORA_BIN" "$VANTORA_EXE" "$counter"; do
    if [[ ! -f $file ]]; then
        echo "windows_fps: $file is missing (build the game, vantora_swap_counter, make windows)" >&2
        exit 2
    fi
done
for number in "$samples" "$seconds" "$warmup"; do
    [[ $number =~ ^[1-9][0-9]*$ ]] || { echo "windows_fps: '$number' is no whole number of at least 1" >&2; exit 2; }
done
counter=$(realpath "$counter")

# The display, frozen time, the games and the waits of the end-to-end tests.
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
need_tools wine wineserver


# Wine puts its window at (4, 23) on a screen without a window manager.
start_xvfb 640x640
need_frozen_time
# The prefix is made before anything is measured.
need_wine
world=$(copy_world "$root/world" world)

# Prints the counter's line "COUNT NANOSECONDS", waiting (at most 10 s) for its first one.
reading()
{
    local file=$1 line=""
    local deadline=$((SECONDS + 10))
    while :; do
        [[ -f $file ]] && line=$(cat "$file")
        [[ $line =~ ^[0-9]+\ [0-9]+$ ]] && break
        ((SECONDS < deadline)) || fail "no frame counted in $file: the preload $counter did not reach the game's glXSwapBuffers"
        sleep 0.05
    done
    echo "$line"
}

# Takes the samples of the running game's counter file after the warm-up; prints the median
# frames per second, then every sample, on one line.
measure()
{
    local file=$1 before after rates=() c0 t0 c1 t1 _
    sleep "$warmup"
    # A failed reading has said why: the measurement ends with it.
    before=$(reading "$file") || exit 1
    for _ in $(seq "$samples"); do
        sleep "$seconds"
        after=$(reading "$file") || exit 1
        read -r c0 t0 <<<"$before"
        read -r c1 t1 <<<"$after"
        ((t1 > t0 && c1 > c0)) || fail "the game drew no frame in $seconds s ($before, then $after)"
        rates+=("$(awk -v c="$((c1 - c0))" -v t="$((t1 - t0))" 'BEGIN { printf "%.1f", c * 1e9 / t }')")
        before=$after
    done
    printf '%s\n' "${rates[@]}" | sort -g |
        awk '{ v[NR] = $1; all = all " " $1 }
             END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                   printf "%.1f\t%s\n", m, substr(all, 2) }'
}

results=()
# Runs one build in the bundled world and measures both views.
run_build()
{
    local build=$1 file=$E2E_TMP/$1.count reference key
    local -a preload=("${E2E_FROZEN_ENV[@]}" VANTORA_SWAP_COUNT_FILE="$file"
        LD_PRELOAD="$E2E_FAKETIME_LIB:$counter")
    note "$build: starting the game"
    if [[ $build == linux ]]; then
        start_game "$world" "${preload[@]}"
        wait_window
    else
        start_game_windows "$world" "${preload[@]}"
        wait_window 60
    fi
    wait_drawn
    reference=$(wait_shot_stable "$build-start" 10)
    note "$build: start view"
    results+=("$build	start	$(measure "$file")")
    for key in p k t; do
        reference=$(keys_then_settle "$reference" "$build-$key" 100 "$key")
    done
    note "$build: filled, lit, textured"
    results+=("$build	filled+lit+textured	$(measure "$file")")
    send_keys q
    wait_exit 20
    [[ $GAME_STATUS == 0 ]] || fail "the $build game ended with status $GAME_STATUS on q"
}

run_build linux
run_build windows

mkdir -p "$linux_build/bench-results"
{
    echo "Frames per second of the 500 x 500 window on Xvfb: median of $samples samples of" \
        "$seconds s, after $warmup s"
    printf '%-8s %-20s %10s   %s\n' build view "median fps" samples
    for line in "${results[@]}"; do
        IFS=$'\t' read -r build view median all <<<"$line"
        printf '%-8s %-20s %10s   %s\n' "$build" "$view" "$median" "$all"
    done
} | tee "$linux_build/bench-results/windows_fps.txt"
