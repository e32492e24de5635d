#!/usr/bin/env bash
# Start-up of the real game on a generated 1000 x 1000 world against a 30 x 30 one: the time
# from launch to the player-start line and the peak resident memory, runs alternating, under
# an Xvfb of its own. Exits 1 when a figure misses its bound (start-up at most 2 s longer;
# extra memory at most 1.25 x the cells with their share of the row tables).
# Usage: bench/startup.sh [build-folder] [runs per world, default 5]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}
game=$build/vantora
worldgen=$build/tools/worldgen/vantora-worldgen
bench=$build/bench/vantora_bench
for program in "$game" "$worldgen" "$bench"; do
    if [[ ! -x $program ]]; then
        echo "startup: $program is missing; build first (cmake --build $build)" >&2
        exit 2
    fi
done

# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=scripts/game.sh
source "$root/scripts/game.sh"
work=$(mktemp -d /tmp/vantora-startup-XXXXXX)
trap 'game_stop_all; xvfb_stop; rm -rf "$work"' EXIT

"$worldgen" 30 30 1 "$work/30x30" >/dev/null
"$worldgen" 1000 1000 1 "$work/1000x1000" >/dev/null

# A display of its own (scripts/xvfb.sh).
if ! xvfb_start 640x640; then
    echo "startup: could not start Xvfb" >&2
    exit 2
fi

# One start of the game in a world folder: sets ms, cpu_ms and kib. Standard output is line-buffered
# (stdbuf) so that the player-start line reaches grep as soon as it is printed.
start_once() {
    local dir=$1 stamp=$work/stamp timing=$work/time.txt
    rm -f "$stamp" "$timing"
    local begin game_pid=""
    begin=$(date +%s%N)
    game_start "$dir" >(grep -m1 -q -- '- player start$' && date +%s%N >"$stamp"; cat >/dev/null) \
        "$work/stderr.txt" /usr/bin/time -v -o "$timing" stdbuf -oL "$game"
    # /usr/bin/time runs the game as its child (stdbuf executes it in place).
    for _ in $(seq 6000); do # at most about 60 s
        [[ -s $stamp ]] && break
        [[ -z $game_pid ]] &&
            game_pid=$(ps -o pid=,comm= --ppid "$GAME_PID" | awk '$2 == "vantora" { print $1 }')
        sleep 0.01
    done
    if [[ ! -s $stamp || -z $game_pid ]]; then
        echo "startup: no player-start line from the game in $dir" >&2
        tail -n 5 "$work/stderr.txt" >&2
        exit 1
    fi
    # CPU time (user and system, all threads) spent so far: a figure that a busy machine
    # disturbs less than the wall clock. The frames after the line add a few milliseconds.
    cpu_ms=$(awk '{ print ($14 + $15) * 1000 / ticks }' ticks="$(getconf CLK_TCK)" \
        "/proc/$game_pid/stat")
    # The first frames run before the memory is read.
    sleep 1
    kill "$game_pid" 2>/dev/null || true
    game_wait_exit 10 || { echo "startup: $GAME_ERROR" >&2; exit 1; }
    ms=$((($(cat "$stamp") - begin) / 1000000))
    kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$timing")
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

declare -A times cpu memory
for ((run = 1; run <= runs; run++)); do
    for world in 30x30 1000x1000; do
        start_once "$work/$world"
        times[$world]+="$ms "
        cpu[$world]+="$cpu_ms "
        memory[$world]+="$kib "
    done
done

read -r cell pointer row_pointer < <("$bench" --cell-bytes)
rows=1000
cols=1000
budget_kib=$(((rows * cols * (cell + pointer) + rows * row_pointer) * 125 / 100 / 1024))

# Prints a heading and, for each world, the runs of one figure (the array named) and their
# median; sets extra to how much the 1000 x 1000 world's median exceeds the 30 x 30 one's.
report() {
    local heading=$1 world
    local -n runs_of=$2
    local -A median_of
    echo "$heading"
    for world in 30x30 1000x1000; do
        median_of[$world]=$(tr ' ' '\n' <<< "${runs_of[$world]}" | grep . | median)
        printf '  %-10s %s-> median %s\n' "$world" "${runs_of[$world]}" "${median_of[$world]}"
    done
    extra=$(awk -v a="${median_of[1000x1000]}" -v b="${median_of[30x30]}" 'BEGIN { print a - b }')
}

status=0
report "Start-up of vantora, $runs runs each (launch to the player-start line, milliseconds):" times
verdict=$(awk -v d="$extra" 'BEGIN { print (d <= 2000) ? "ok" : "TOO SLOW" }')
echo "  1000x1000 takes $extra ms longer (bound 2000 ms): $verdict"
[[ $verdict == ok ]] || status=1

report "CPU time of the game up to that line (milliseconds, user and system):" cpu

report "Peak resident memory (KiB):" memory
verdict=$(awk -v d="$extra" -v b="$budget_kib" 'BEGIN { print (d <= b) ? "ok" : "TOO MUCH" }')
echo "  1000x1000 uses $extra KiB more; bound $budget_kib KiB = 1.25 x $rows x $cols cells" \
    "x ($cell + $pointer) B + the row tables: $verdict"
[[ $verdict == ok ]] || status=1
exit $status
