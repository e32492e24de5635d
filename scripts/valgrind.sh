#!/usr/bin/env bash
# Memcheck over a short scripted session of the real game on a private Xvfb (scripts/xvfb.sh;
# the game starts through scripts/game.sh): start-up in a copy of the bundled world, a few
# frames, every render switch on and off, a few moves, quit.
# Fails on any memcheck error or leak outside the GL driver and the X libraries (their
# reports are suppressed by tests/sanitizer/valgrind.supp) and on a status other than 0.
#   scripts/valgrind.sh          VANTORA_BIN names the game (default build/vantora)
# The report is kept as valgrind.log beside the game binary. Slow: the GL driver renders in
# software under memcheck, so the session is kept short.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${VANTORA_BIN:-$root/build/vantora}
pause=${VALGRIND_KEY_PAUSE:-1.5}
report=$(dirname "$bin")/valgrind.log

# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=scripts/game.sh
source "$root/scripts/game.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-valgrind.XXXXXX")
cleanup()
{
    game_stop_all
    xvfb_stop
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

fail()
{
    echo "valgrind: FAIL: $*" >&2
    exit 1
}

for tool in valgrind Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool"
done
[[ -x $bin ]] || fail "no game at $bin (set VANTORA_BIN)"

xvfb_start 640x640 || fail "could not start Xvfb"

mkdir "$tmp/world"
cp "$root"/world/* "$tmp/world/"
# The software rasteriser draws on the calling thread: memcheck runs one thread at a time
# anyway, and a single thread keeps the report readable.
# shellcheck disable=SC2086 # VALGRIND_EXTRA holds several options
game_start "$tmp/world" "$tmp/stdout.txt" "$tmp/stderr.txt" env LP_NUM_THREADS=0 \
    valgrind --tool=memcheck --error-exitcode=99 \
    --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --num-callers=40 --keep-debuginfo=yes \
    --suppressions="$root/tests/sanitizer/valgrind.supp" ${VALGRIND_EXTRA:-} \
    --log-file="$report" "$bin"
game_wait_window 120 || fail "$GAME_ERROR ($report)"
sleep "$pause"

# Each switch on and off again with a frame or so in between, then a few moves and the
# overhead camera, then quit.
for key in b B c C k K n N p P t T f f i i a z j l o u U o k p t f q; do
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before key '$key' ($report)"
    game_keys "$key" || fail "$GAME_ERROR"
    sleep "$pause"
done

game_wait_exit 60 || fail "$GAME_ERROR ('q'; $report)"
status=$GAME_STATUS

summary='(ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|still reachable:|suppressed:)'
grep -E "^==[0-9]+== +$summary" \
    "$report" | sed 's/^==[0-9]*== */valgrind: /'
[[ $status -ne 99 ]] || fail "memcheck found errors; see $report"
[[ $status -eq 0 ]] || fail "the game ended with status $status; see $report"
grep -q 'ERROR SUMMARY: 0 errors' "$report" || fail "no clean error summary in $report"
echo "valgrind: clean ($report)"
