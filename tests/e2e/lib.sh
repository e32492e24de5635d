# shellcheck shell=bash
# Shared helpers of the end-to-end scripts: a private Xvfb, the real game in a scratch copy
# of a world, time frozen for the people's cells, keys, screenshots, pixel measures and
# bounded waits. Sourced, never run alone.
#
# A script that sources this file gets E2E_SOURCE (the source tree; VANTORA_SOURCE_DIR or
# two folders up), VANTORA_BIN (the game; from the environment or the first of build/ and
# build-e2e/ that holds one), E2E_TMP (a scratch folder: removed after a passing run unless
# E2E_KEEP is set, kept after a failing one) and a trap that ends every game it started, its
# own Xvfb and its frozen clock, by process id. The games start and are found through
# scripts/game.sh, as in every other script that plays. Every wait is bounded; a helper that
# runs out of time calls `fail`, which names what it waited for.

set -euo pipefail

E2E_SOURCE=${VANTORA_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
if [[ -z "${VANTORA_BIN:-}" ]]; then
    VANTORA_BIN=$E2E_SOURCE/build/vantora
    [[ -x "$VANTORA_BIN" || ! -x "$E2E_SOURCE/build-e2e/vantora" ]] ||
        VANTORA_BIN=$E2E_SOURCE/build-e2e/vantora
fi
# The Windows game, for the scripts that run it under Wine: VANTORA_EXE from the environment,
# else vantora.exe of VANTORA_WINDOWS_BUILD (build-windows/ by default).
VANTORA_WINDOWS_BUILD=${VANTORA_WINDOWS_BUILD:-$E2E_SOURCE/build-windows}
VANTORA_EXE=${VANTORA_EXE:-$VANTORA_WINDOWS_BUILD/vantora.exe}
E2E_NAME=$(basename "$0" .sh)
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vantora-$E2E_NAME.XXXXXX")
GAME_DIR="" # the working directory of the game started last, with stdout.txt and stderr.txt

# The one way to start a display and the one way to start the game on it and find its window
# (GAME_PID, GAME_WID, GAME_STATUS, GAME_TITLE), shared with the scripts in scripts/.
# shellcheck source=scripts/xvfb.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/xvfb.sh"
# shellcheck source=scripts/game.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/game.sh"
# The moment at which runs that need the people on the same cells every time stand still,
# in UTC, and the same moment in seconds since the epoch.
readonly E2E_FROZEN_TIME="2026-01-01 00:00:00"
readonly E2E_FROZEN_EPOCH=1767225600
# The head-up display: its two lines in the top-left 330 x 45 pixels of the window picture,
# which is the whole 500 x 500 window (wait_window moves it to the screen's origin). The
# position line fills rows 1-16 (its commas reach row 19), the saved-people line rows 20-43.
readonly HUD_CROP="330x45+0+0"

fail()
{
    echo "FAIL [$E2E_NAME]: $*" >&2
    exit 1
}

note()
{
    echo "[$E2E_NAME] ${SECONDS}s: $*"
}

e2e_cleanup()
{
    local status=$?
    # Each game leads a session of its own: its children (a restarted copy, say) go with it.
    game_stop_all
    stop_wine
    xvfb_stop
    stop_frozen_clock
    if [[ $status -eq 0 && -z "${E2E_KEEP:-}" ]]; then
        rm -rf "$E2E_TMP"
    else
        echo "[$E2E_NAME] files of the run kept in $E2E_TMP" >&2
    fi
}
trap e2e_cleanup EXIT
# A command that fails outside a check names itself before set -e ends the script.
set -E
trap 'echo "FAIL [$E2E_NAME]: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR

# Fails unless the tools every script uses, and those named, are there, and the game too.
# shellcheck disable=SC2120 # most scripts name no extra tool
need_tools()
{
    local tool
    for tool in Xvfb xdpyinfo xdotool import convert compare stdbuf setsid timeout "$@"; do
        command -v "$tool" >/dev/null || fail "missing tool: $tool"
    done
    [[ -x "$VANTORA_BIN" ]] || fail "no game binary at $VANTORA_BIN (set VANTORA_BIN)"
}

# --- The display ---------------------------------------------------------------------------

# Starts this script's private Xvfb (scripts/xvfb.sh), 500 x 500 unless a size is given, and
# exports DISPLAY.
start_xvfb()
{
    xvfb_start "${1:-500x500}" || fail "could not start Xvfb"
}

# --- Frozen time ---------------------------------------------------------------------------
# The game seeds rand() from time(); with time() frozen the people stand on the same cells
# every run. Debian's libfaketime is preloaded into the game directly, not through the
# faketime program: that wrapper keeps a semaphore and a shared-memory segment named after
# its own process id in /dev/shm and removes them only when it ends normally, so every
# killed wrapper leaves two entries behind and a later one with the same process id refuses
# to start.
#
# The library itself makes such a pair, named after the process that loads it first, unless
# FAKETIME_SHARED names a pair that exists; and a process that loads it and then executes
# another program (stdbuf does) never removes its pair. So one small clock keeper per script,
# a shell that only waits for the end of its standard input, makes the pair, and every game
# gets FAKETIME_SHARED pointing at it: the games make none. The keeper reads from a pipe that
# only this script holds open, so it ends normally, removing the pair, however the script
# ends, even when it is killed. It is bash: bash ends through exit(), which runs the
# library's clean-up; dash ends through _exit() and would leave the pair behind.

E2E_FAKETIME_LIB=""   # the preload library
E2E_CLOCK_FD=""       # the write end of the keeper's pipe
E2E_CLOCK_PID=""      # the keeper
E2E_FROZEN_ENV=()     # `env` and the settings that freeze time(), to put before a program

# Prints the path of libfaketime.so.1 for the game's architecture: VANTORA_LIBFAKETIME if set,
# else Debian's multiarch folder of the C library the game links, else any multiarch folder.
find_libfaketime()
{
    local libc multiarch="" candidate
    if [[ -n "${VANTORA_LIBFAKETIME:-}" ]]; then
        [[ -f "$VANTORA_LIBFAKETIME" ]] || return 1
        echo "$VANTORA_LIBFAKETIME"
        return 0
    fi
    libc=$(ldd "$VANTORA_BIN" 2>/dev/null | awk '$1 ~ /^libc\.so/ { print $3; exit }' || true)
    [[ -z "$libc" ]] || multiarch=$(basename "$(dirname "$libc")")
    for candidate in ${multiarch:+"/usr/lib/$multiarch/faketime/libfaketime.so.1"} \
        /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1 \
        /usr/local/lib/faketime/libfaketime.so.1; do
        if [[ -f "$candidate" ]]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

# Starts the clock keeper and sets E2E_FROZEN_ENV; fails, saying why, unless a program started
# with it reads the frozen moment. Called once per script, after start_xvfb (so that the
# server does not hold the keeper's pipe open) and before start_game_frozen.
need_frozen_time()
{
    local shared="" names _ _try now
    [[ -z "$E2E_CLOCK_PID" ]] || return 0
    [[ -n "$XVFB_PID" ]] || fail "need_frozen_time before start_xvfb"
    E2E_FAKETIME_LIB=$(find_libfaketime) ||
        fail "libfaketime.so.1 not found (Debian package libfaketime; or set VANTORA_LIBFAKETIME)"
    # A pair left behind by an earlier process with the keeper's process id keeps the keeper
    # from making its own; such a pair is stale (that process is gone), so it is removed and
    # a new keeper tried.
    for _try in 1 2 3; do
        : >"$E2E_TMP/clock-shared"
        # shellcheck disable=SC2016 # the keeper's shell expands its own variables
        exec {E2E_CLOCK_FD}> >(exec env TZ=UTC FAKETIME="$E2E_FROZEN_TIME" \
            LD_PRELOAD="$E2E_FAKETIME_LIB" "$BASH" -c \
            'printf "%s\n" "${FAKETIME_SHARED-}" >"$1"; read -r _ || :' \
            clock-keeper "$E2E_TMP/clock-shared" >/dev/null 2>>"$E2E_TMP/clock-keeper.log")
        E2E_CLOCK_PID=$!
        for _ in $(seq 200); do
            [[ $(wc -l <"$E2E_TMP/clock-shared") -ge 1 ]] && break
            kill -0 "$E2E_CLOCK_PID" 2>/dev/null || break
            sleep 0.05
        done
        shared=$(head -n 1 "$E2E_TMP/clock-shared")
        [[ -z "$shared" ]] || break
        if kill -0 "$E2E_CLOCK_PID" 2>/dev/null; then
            rm -f "/dev/shm/sem.faketime_sem_$E2E_CLOCK_PID" "/dev/shm/faketime_shm_$E2E_CLOCK_PID"
        fi
        stop_frozen_clock
    done
    [[ -n "$shared" ]] || fail "libfaketime ($E2E_FAKETIME_LIB) made no shared clock: $(
        cat "$E2E_TMP/clock-keeper.log" 2>/dev/null)"
    read -r -a names <<<"$shared"
    [[ ${#names[@]} == 2 && -e "/dev/shm/sem.${names[0]#/}" && -e "/dev/shm/${names[1]#/}" ]] ||
        fail "the shared clock '$shared' is not in /dev/shm"
    # The monotonic clock stays real: GLUT's 50 ms timer keeps running.
    E2E_FROZEN_ENV=(env TZ=UTC FAKETIME="$E2E_FROZEN_TIME" FAKETIME_DONT_FAKE_MONOTONIC=1
        FAKETIME_SHARED="$shared" LD_PRELOAD="$E2E_FAKETIME_LIB${LD_PRELOAD:+:$LD_PRELOAD}")
    now=$("${E2E_FROZEN_ENV[@]}" date +%s 2>&1) || true
    [[ "$now" == "$E2E_FROZEN_EPOCH" ]] ||
        fail "with $E2E_FAKETIME_LIB preloaded the time is '$now', not $E2E_FROZEN_EPOCH"
}

# Ends the clock keeper: closing its pipe lets it end normally, which removes its pair. (The
# games never hold the pipe: start_game closes it in each.)
stop_frozen_clock()
{
    local _
    if [[ -n "$E2E_CLOCK_FD" ]]; then
        exec {E2E_CLOCK_FD}>&-
        E2E_CLOCK_FD=""
    fi
    [[ -n "$E2E_CLOCK_PID" ]] || return 0
    for _ in $(seq 100); do
        kill -0 "$E2E_CLOCK_PID" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$E2E_CLOCK_PID" 2>/dev/null; then
        kill "$E2E_CLOCK_PID" 2>/dev/null || true
        rm -f "/dev/shm/sem.faketime_sem_$E2E_CLOCK_PID" "/dev/shm/faketime_shm_$E2E_CLOCK_PID"
    fi
    E2E_CLOCK_PID=""
    E2E_FROZEN_ENV=()
}

# --- The game ------------------------------------------------------------------------------

# Copies a world folder (of tests/data, or the bundled world/) into a new folder under
# E2E_TMP and prints its path. The raw textures of world/ are added where the copy has none.
copy_world()
{
    local from=$1 name=$2 raw
    local to="$E2E_TMP/$name"
    [[ ! -e "$to" ]] || fail "world folder $to exists already"
    mkdir -p "$to"
    cp -R "$from/." "$to/"
    for raw in water256_2.raw dirt.raw grass.raw snow.raw; do
        [[ -e "$to/$raw" ]] || cp "$E2E_SOURCE/world/$raw" "$to/$raw"
    done
    echo "$to"
}

# Starts the game in a world folder, standard output line-buffered into stdout.txt there and
# standard error into stderr.txt. Further arguments come first on the command line: a
# wrapper such as `env NAME=value`. Sets GAME_PID and GAME_DIR.
start_game()
{
    GAME_DIR=$1
    shift
    game_start ${E2E_CLOCK_FD:+--close "$E2E_CLOCK_FD"} "$GAME_DIR" stdout.txt stderr.txt \
        "$@" stdbuf -oL "$VANTORA_BIN"
}

# The same with time() frozen at E2E_FROZEN_TIME (need_frozen_time first), so that the people
# stand on the same cells every run.
start_game_frozen()
{
    ((${#E2E_FROZEN_ENV[@]} > 0)) || fail "start_game_frozen before need_frozen_time"
    start_game "$1" "${E2E_FROZEN_ENV[@]}"
}

# Fails unless the running game has both libfaketime and stdbuf's library loaded: the proof
# that both preloads reach the game itself, not only the programs in front of it.
expect_preloaded()
{
    local maps
    maps=$(cat "/proc/$GAME_PID/maps" 2>/dev/null) || fail "cannot read the game's memory map"
    grep -q '/libfaketime[^/]*\.so' <<<"$maps" || fail "libfaketime is not loaded in the game"
    grep -q '/libstdbuf\.so' <<<"$maps" || fail "stdbuf's library is not loaded in the game"
}

# Waits (at most 10 s, or the seconds given) for the game's mapped window, sets GAME_WID and
# moves the window to the screen's top-left corner, so that every picture holds all of it.
wait_window()
{
    game_wait_window "${1:-10}" || fail "$GAME_ERROR"
    game_to_origin || fail "$GAME_ERROR"
}

# Fails unless the game still runs.
expect_running()
{
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended: $*"
}

# Waits (at most `seconds`) for the game to end and sets GAME_STATUS to its exit status.
# Not for use inside $(...): only this shell can wait for its own children.
wait_exit()
{
    game_wait_exit "$1" || fail "$GAME_ERROR"
}

# Sends keys to the game window, in order: xdotool key names (i, a, R, ...).
send_keys()
{
    expect_running "before the keys $*"
    game_keys "$@" || fail "$GAME_ERROR"
}

# --- Standard output -----------------------------------------------------------------------

# Counts the lines of the game's standard output that equal `line` exactly.
count_stdout_lines()
{
    grep -cxF -- "$1" "$GAME_DIR/stdout.txt" || true
}

# Counts the places in the game's standard output that match the basic regular expression
# `pattern`; several may share a line, since some diagnostics have no line end.
count_stdout_matches()
{
    { grep -o -- "$1" "$GAME_DIR/stdout.txt" || true; } | wc -l
}

# Waits (at most `seconds`) until at least `count` lines of standard output equal `line`.
wait_stdout_lines()
{
    local line=$1 count=$2 seconds=$3
    local deadline=$((SECONDS + seconds))
    while (($(count_stdout_lines "$line") < count)); do
        ((SECONDS < deadline)) ||
            fail "fewer than $count lines '$line' on standard output within ${seconds} s"
        sleep 0.05
    done
}

# Waits (at most `seconds`) until standard output holds `count` matches of `pattern`.
wait_stdout_matches()
{
    local pattern=$1 count=$2 seconds=$3
    local deadline=$((SECONDS + seconds))
    while (($(count_stdout_matches "$pattern") < count)); do
        ((SECONDS < deadline)) || fail "fewer than $count matches of '$pattern' within ${seconds} s"
        sleep 0.05
    done
}

# Fails unless two files hold the same bytes, and shows where they part.
expect_same_bytes()
{
    local expected=$1 actual=$2 what=$3
    if ! cmp -s "$expected" "$actual"; then
        echo "--- expected ($expected) and actual ($actual), first differences:" >&2
        diff <(od -c "$expected") <(od -c "$actual") | head -n 20 >&2 || true
        fail "$what: bytes differ"
    fi
}

# --- Pictures ------------------------------------------------------------------------------

# Screenshot of the game window into E2E_TMP/<name>.png; prints the path.
shot()
{
    local file="$E2E_TMP/$1.png"
    expect_running "before the screenshot $1"
    timeout 10 import -window "$GAME_WID" "$file" 2>"$E2E_TMP/import.err" ||
        fail "screenshot $1 failed: $(cat "$E2E_TMP/import.err")"
    echo "$file"
}

# Captures the head-up display and prints one digest per line of text: "<position line>
# <saved line>". Equal digests, equal pixels.
hud_hashes()
{
    local file="$E2E_TMP/hud.rgb" row=$((330 * 3)) position saved
    expect_running "before the HUD screenshot"
    timeout 10 import -window "$GAME_WID" -crop "$HUD_CROP" +repage -depth 8 "rgb:$file" \
        2>/dev/null || fail "screenshot of the HUD failed"
    position=$(dd if="$file" bs=$row skip=1 count=16 status=none | md5sum | cut -d ' ' -f 1)
    saved=$(dd if="$file" bs=$row skip=20 count=24 status=none | md5sum | cut -d ' ' -f 1)
    echo "$position $saved"
}

# Counts the pixels of a picture (optionally cropped to WxH+X+Y) whose 8-bit r, g, b meet
# an awk condition such as 'r == 0 && g == 255 && b == 0'. Reads the picture's colour
# histogram, one line per colour: "count: (r,g,b) #RRGGBB name".
count_pixels()
{
    local file=$1 crop=$2 condition=$3
    local -a args=("$file")
    [[ -n "$crop" ]] && args+=(-crop "$crop" +repage)
    convert "${args[@]}" -alpha off -depth 8 -format %c histogram:info:- |
        awk "{ split(\$0, c, /[():,]+/); n = c[1] + 0; r = c[3] + 0; g = c[4] + 0; b = c[5] + 0;
               if ($condition) total += n } END { print total + 0 }"
}

# Mean brightness of a picture (optionally cropped to WxH+X+Y), 0 (black) to 1000 (white).
brightness()
{
    local file=$1 crop=${2:-}
    local -a args=("$file")
    [[ -n "$crop" ]] && args+=(-crop "$crop" +repage)
    convert "${args[@]}" -alpha off -colorspace Gray -format '%[fx:round(mean * 1000)]' info:
}

# Number of pixels that differ between two pictures (optionally both cropped to WxH+X+Y).
pixels_differ()
{
    local a=$1 b=$2 crop=${3:-} out status=0
    if [[ -n "$crop" ]]; then
        convert "$a" -crop "$crop" +repage "$E2E_TMP/.crop-a.png"
        convert "$b" -crop "$crop" +repage "$E2E_TMP/.crop-b.png"
        a="$E2E_TMP/.crop-a.png"
        b="$E2E_TMP/.crop-b.png"
    fi
    # compare prints the count on standard error; its status is 1 when the pictures differ
    # and 2 when it cannot compare them.
    out=$(compare -metric AE "$a" "$b" null: 2>&1) || status=$?
    ((status <= 1)) || fail "compare $a $b: $out"
    awk '{ printf "%d\n", $1 }' <<<"$out"
}

# --- Waiting for pictures ------------------------------------------------------------------
# The game draws frames back to back; these waits take screenshots until the picture shows
# what they wait for. "Settled" means two screenshots in a row are the same, which only
# works in views where nothing moves by itself (no spinning person in sight).

# Waits (at most 10 s) until a frame with the white head-up display text is on screen.
wait_drawn()
{
    local deadline=$((SECONDS + 10)) file
    while :; do
        file=$(shot first-frame)
        (($(count_pixels "$file" "$HUD_CROP" 'r == 255 && g == 255 && b == 255') > 100)) &&
            return 0
        ((SECONDS < deadline)) || fail "no frame with head-up display text within 10 s"
        sleep 0.1
    done
}

# Waits (at most `seconds`) until a screenshot differs from the reference picture in more
# than `least` pixels; prints its path.
wait_shot_change()
{
    local reference=$1 name=$2 least=$3 seconds=$4
    local deadline=$((SECONDS + seconds)) file
    while :; do
        file=$(shot "$name")
        (($(pixels_differ "$reference" "$file") > least)) && {
            echo "$file"
            return 0
        }
        ((SECONDS < deadline)) ||
            fail "picture $name did not change from $(basename "$reference") within ${seconds} s"
        sleep 0.05
    done
}

# Waits (at most `seconds`) until the picture has settled; prints the last screenshot's path.
wait_shot_stable()
{
    local name=$1 seconds=$2
    local deadline=$((SECONDS + seconds)) previous file
    previous=$(shot "$name-settle")
    while :; do
        sleep 0.1
        file=$(shot "$name")
        (($(pixels_differ "$previous" "$file") == 0)) && {
            echo "$file"
            return 0
        }
        ((SECONDS < deadline)) || fail "picture $name did not settle within ${seconds} s"
        cp "$file" "$previous"
    done
}

# Sends keys, then waits (at most 10 s) until the picture differs from the reference in
# more than `least` pixels and has settled; prints the settled screenshot's path.
keys_then_settle()
{
    local reference=$1 name=$2 least=$3
    shift 3
    send_keys "$@"
    local deadline=$((SECONDS + 10)) changed="" file
    while :; do
        file=$(shot "$name")
        if [[ -z "$changed" ]]; then
            if (($(pixels_differ "$reference" "$file") > least)); then
                changed="$E2E_TMP/$name-changed.png"
                cp "$file" "$changed"
            fi
        elif (($(pixels_differ "$changed" "$file") == 0)); then
            echo "$file"
            return 0
        else
            cp "$file" "$changed"
        fi
        ((SECONDS < deadline)) ||
            fail "picture $name did not change from $(basename "$reference") and settle within 10 s"
        sleep 0.05
    done
}

# Makes sure the game has handled every key sent so far: presses "p" and waits for the
# filled view, then "P" and waits for the wire-frame view again. Keys are handled in order,
# so once the filled view shows, every earlier key has been. Needs some ground in sight.
sync_keys()
{
    local before filled
    before=$(shot sync-before)
    send_keys p
    filled=$(wait_shot_change "$before" sync-filled 1000 10)
    send_keys P
    wait_shot_change "$filled" sync-wire 1000 10 >/dev/null
}

# --- The Windows game under Wine -----------------------------------------------------------
# Debian's Wine runs the cross-built programs on the same display, in a Wine prefix of the
# script's own (E2E_TMP/wine), made on first use and ended by the cleanup.
# shellcheck source=scripts/wine.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine.sh"

# Ends the script as skipped (status 77) when there is no Windows build, or fails then where
# VANTORA_REQUIRE_WINDOWS is set (make check sets it).
need_windows_build()
{
    [[ -f "$VANTORA_EXE" ]] && return 0
    [[ -z "${VANTORA_REQUIRE_WINDOWS:-}" ]] || fail "no Windows build at $VANTORA_EXE (make windows)"
    echo "[$E2E_NAME] skipped: no Windows build at $VANTORA_EXE (make windows)"
    trap - EXIT
    rm -rf "$E2E_TMP"
    exit 77
}

# Makes the script's Wine prefix, once (about 10 s).
need_wine()
{
    [[ -n "$WINE_PREFIX_READY" ]] && return 0
    wine_start "$E2E_TMP/wine" || fail "could not make a Wine prefix"
}

# Ends every process of the script's Wine prefix and removes it: at some 700 MB it is not
# worth keeping, even after a failing run.
stop_wine()
{
    wine_stop
    rm -rf "$E2E_TMP/wine"
}

# Starts the Windows game (VANTORA_EXE) under Wine in a world folder, as start_game does the
# Linux game; further arguments are a wrapper in front of wine. Sets GAME_PID and GAME_DIR.
start_game_windows()
{
    need_wine
    [[ -f "$VANTORA_EXE" ]] || fail "no Windows game at $VANTORA_EXE (make windows)"
    GAME_DIR=$1
    shift
    game_start ${E2E_CLOCK_FD:+--close "$E2E_CLOCK_FD"} "$GAME_DIR" stdout.txt stderr.txt \
        "$@" wine "$VANTORA_EXE"
}
