#!/usr/bin/env bash
# Soak test of the running game: the real binary in a copy of the bundled world on a private
# Xvfb (scripts/xvfb.sh; the game starts through scripts/game.sh) takes KEYS random keys from
# the README's key table (never quit or restart). Then it must still run, its resident memory
# must have grown by at most 16 MiB since the warm-up (Mesa keeps caches of its own), and "q"
# must end it with status 0.
#   scripts/soak.sh KEYS
# VANTORA_BIN names the game (default build/vantora); SOAK_SEED fixes the key sequence
# (default 1). Every wait is bounded; the script stops its own Xvfb and game by process id.
set -euo pipefail

keys=${1:?usage: $0 KEYS}
[[ $keys =~ ^[0-9]+$ ]] || {
    echo "KEYS must be a number" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VANTORA_BIN:-$root/build/vantora}
seed=${SOAK_SEED:-1}
growthLimitKb=16384
batch=100

# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=scripts/game.sh
source "$root/scripts/game.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-soak.XXXXXX")
ok=0
cleanup()
{
    game_stop_all
    xvfb_stop
    if [[ $ok -eq 1 ]]; then rm -rf "$tmp"; else echo "soak: files kept in $tmp" >&2; fi
}
trap cleanup EXIT
trap 'exit 143' TERM INT

fail()
{
    echo "soak: FAIL: $*" >&2
    exit 1
}

for tool in Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool"
done
[[ -x $bin ]] || fail "no game at $bin (set VANTORA_BIN)"

# The keys of the README's key table, less quit and restart: the rows "| `k` | action |" under
# "## Keys", which tests/app/readme_keys_test.cpp holds to the program's own bindings.
mapfile -t table < <(awk '/^## / { keys = ($0 == "## Keys") }
    keys && /^[|] `.` [|]/ { print substr($0, 4, 1) }' "$root/README.md" | grep -vx '[qQr]')
[[ ${#table[@]} -ge 20 ]] || fail "found only ${#table[@]} keys in the key table of README.md"

xvfb_start 640x640 || fail "could not start Xvfb"

mkdir "$tmp/world"
cp "$root"/world/* "$tmp/world/"
game_start "$tmp/world" "$tmp/stdout.txt" "$tmp/stderr.txt" "$bin"
game_wait_window 20 || fail "$GAME_ERROR"
game_to_origin || fail "$GAME_ERROR"

rss_kb()
{
    local kb
    kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null || true)
    [[ $kb =~ ^[0-9]+$ ]] || fail "could not read the game's resident memory"
    echo "$kb"
}

expect_running()
{
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended $*"
}

send()
{
    game_keys --delay "${SOAK_KEY_DELAY_MS:-4}" "$@" || fail "$GAME_ERROR"
}

# Keys reach the game: "p" (filled polygons) changes most of the picture, far more than a
# spinning person in view could. Bounded wait.
drawn=0
for _ in $(seq 100); do
    import -window "$GAME_WID" "$tmp/before.png" 2>/dev/null || fail "screenshot failed"
    convert "$tmp/before.png" -fill black -colorize 100 "$tmp/black.png"
    lit=$(compare -metric AE "$tmp/before.png" "$tmp/black.png" null: 2>&1 || true)
    if [[ ${lit%% *} =~ ^[0-9]+$ ]] && ((${lit%% *} > 2000)); then
        drawn=1
        break
    fi
    sleep 0.1
done
[[ $drawn -eq 1 ]] || fail "the game drew no frame within 10 s"
send p
changed=0
for _ in $(seq 50); do
    sleep 0.1
    import -window "$GAME_WID" "$tmp/after.png" 2>/dev/null || fail "screenshot failed"
    differing=$(compare -metric AE "$tmp/before.png" "$tmp/after.png" null: 2>&1 || true)
    differing=${differing%% *}
    [[ -z ${SOAK_VERBOSE:-} ]] || echo "soak: $differing pixels changed after 'p'"
    if [[ $differing =~ ^[0-9]+$ ]] && ((differing > 40000)); then
        changed=1
        break
    fi
done
[[ $changed -eq 1 ]] || fail "the picture did not change after 'p' within 5 s: keys do not arrive"

# Warm-up: Mesa builds code for each combination of render features it draws with and keeps
# it. A Gray-code walk over the eight switches passes through every combination once, one
# toggle per step, a frame's time apart; then every key of the table once.
on=(b c k p t f o n)
off=(B C K P T f o N)
state=(1 0 0 1 0 0 0 0) # depth test on from start-up, filled polygons from the "p" above
walk=()
for ((i = 1; i < 256; ++i)); do
    bit=0
    while (((i >> bit & 1) == 0)); do bit=$((bit + 1)); done
    if ((state[bit])); then walk+=("${off[bit]}"); else walk+=("${on[bit]}"); fi
    state[bit]=$((1 - state[bit]))
done
SOAK_KEY_DELAY_MS=${SOAK_WARM_DELAY_MS:-30} send "${walk[@]}"
send "${table[@]}"
sleep 2
expect_running "during the warm-up"
baseline=$(rss_kb)
peak=$baseline

# The soak: random keys of the table in batches, the game checked after each batch.
RANDOM=$seed
sent=0
started=$SECONDS
while ((sent < keys)); do
    n=$((keys - sent < batch ? keys - sent : batch))
    sequence=()
    for ((i = 0; i < n; ++i)); do sequence+=("${table[RANDOM % ${#table[@]}]}"); done
    send "${sequence[@]}"
    sent=$((sent + n))
    expect_running "after $sent keys"
    now=$(rss_kb)
    ((now > peak)) && peak=$now
    [[ -z ${SOAK_VERBOSE:-} ]] || echo "soak: $sent keys, resident memory $now kB"
done
sleep 2
expect_running "after all $keys keys"
final=$(rss_kb)
((final > peak)) && peak=$final
growth=$((final - baseline))

send q
game_wait_exit 10 || fail "$GAME_ERROR ('q')"
status=$GAME_STATUS

echo "soak: $keys keys (seed $seed) in $((SECONDS - started)) s; resident memory after warm-up" \
    "$baseline kB, at the end $final kB (growth $growth kB, limit $growthLimitKb kB)," \
    "peak $peak kB; exit status $status"
((growth <= growthLimitKb)) || fail "resident memory grew by $growth kB"
[[ $status -eq 0 ]] || fail "'q' ended the game with status $status"
ok=1
