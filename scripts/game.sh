# shellcheck shell=bash
# The one way this project starts the game on a display and finds its window, the Linux game
# and the Windows game under Wine alike: every script and test that plays sources this file,
# once a display is chosen (scripts/xvfb.sh).
#
#   source scripts/game.sh
#   game_start [--close FD] DIR OUT ERR COMMAND...
#                         runs COMMAND in DIR in a session of its own, standard output into
#                         the file OUT and standard error into ERR (named from DIR; "-" leaves
#                         that stream as it is); sets GAME_PID. COMMAND is the game with what
#                         goes in front of it: `env`, stdbuf, valgrind, `wine PROGRAM.exe`.
#                         --close FD closes a descriptor of the caller's in the game.
#   game_wait_window [SECONDS]
#                         waits (10 s unless told) for the game's window to be mapped; sets
#                         GAME_WID. Status 1: no window in time; 2: the game ended first.
#   game_adopt_window SECONDS
#                         the same for a game that this shell did not start (one that the game
#                         started again): waits for the window of a running process other than
#                         GAME_PID; sets GAME_WID and GAME_PID to it and its process
#   game_to_origin        moves the window to the screen's top-left corner: without a window
#                         manager freeglut leaves it at (-1, -1), and a picture of it then
#                         lacks a row and a column
#   game_keys [--delay MS] KEY...
#                         focuses the window and sends xdotool key names, MS apart (20)
#   game_wait_exit SECONDS
#                         waits for the game to end; sets GAME_STATUS to its exit status (empty
#                         for an adopted game, which is no child of this shell)
#   game_wait_no_window SECONDS [PID]
#                         waits until every window with the game's title, mapped or not, is
#                         gone; or only those of the process PID (a window is known by its
#                         process: X gives a gone client's window ids to the next client)
#   game_stop_all         ends every game started or adopted and not yet seen to end, with its
#                         session (for an EXIT trap; also safe when none runs)
#   game_poll SECONDS COMMAND...
#                         runs COMMAND every 50 ms while its status is 1, for at most SECONDS;
#                         its last status (1 when the time ran out)
#   game_ended            status 0 once the game has ended, else 1 (for game_poll)
#
# A function that fails returns a status other than 0 and leaves the reason, a sentence, in
# GAME_ERROR. Every wait is bounded, on the wall clock. Sourcing it changes no shell option
# and sets no trap. Call game_start and game_wait_exit in the same shell, never inside
# $(...): only the shell that started a game can learn its exit status.

# shellcheck disable=SC2034 # GAME_STATUS and GAME_ERROR are read by the callers

# Sourced twice (through two helpers), it keeps the games it knows of.
[[ -z ${GAME_TITLE-} ]] || return 0

# The title of the game's one window, on Linux and under Wine.
GAME_TITLE="GX 210 - HW 1"
GAME_PID=""    # the game started (or adopted) last
GAME_WID=""    # its window, once game_wait_window has seen it
GAME_STATUS="" # its exit status, once game_wait_exit has seen it end
GAME_ERROR=""  # why the last function that failed failed
GAME_CHILD=""  # set while GAME_PID is a child of this shell
GAME_PIDS=()   # the games not yet seen to end

# Runs COMMAND every 50 ms until its status is other than 1, for at most SECONDS (once at
# least); returns that status, or 1 when the time runs out.
#   game_poll SECONDS COMMAND...
game_poll()
{
    local seconds=$1 deadline status
    shift
    # Microseconds on the wall clock: a deadline finer than bash's SECONDS.
    deadline=$((${EPOCHREALTIME//[!0-9]/} + seconds * 1000000))
    while :; do
        status=0
        "$@" || status=$?
        ((status == 1)) || return "$status"
        ((${EPOCHREALTIME//[!0-9]/} < deadline)) || return 1
        sleep 0.05
    done
}

game_start()
{
    local close=""
    if [[ ${1-} == --close ]]; then
        close=$2
        shift 2
    fi
    local dir=$1 out=$2 err=$3
    shift 3
    (
        if [[ -n $close ]]; then exec {close}>&-; fi
        cd "$dir" || exit 125
        if [[ $out != - ]]; then exec >"$out"; fi
        if [[ $err != - ]]; then exec 2>"$err"; fi
        # A session of its own: game_stop_all ends the game with whatever it started.
        exec setsid "$@"
    ) &
    GAME_PID=$!
    GAME_CHILD=1
    GAME_WID=""
    GAME_STATUS=""
    GAME_PIDS+=("$GAME_PID")
}

# Prints the mapped windows with the game's title, one a line. A window counts once it is
# mapped: it has its title a moment before, and a picture or a key then fails.
game_windows()
{
    timeout 5 xdotool search --onlyvisible --name "^$GAME_TITLE\$" 2>/dev/null || true
}

# Status 1 while the game runs, else 0.
game_ended()
{
    ! kill -0 "$GAME_PID" 2>/dev/null
}

# Sets GAME_WID to the game's window; status 1 while there is none, 2 once the game has ended.
game_window_seen()
{
    GAME_WID=$(game_windows | head -n 1)
    [[ -z $GAME_WID ]] || return 0
    game_ended && return 2
    return 1
}

game_wait_window()
{
    local seconds=${1:-10} status=0
    GAME_WID=""
    game_poll "$seconds" game_window_seen || status=$?
    case $status in
    0) return 0 ;;
    2) GAME_ERROR="the game ended before its window appeared" ;;
    *) GAME_ERROR="no window titled '$GAME_TITLE' within $seconds s" ;;
    esac
    return "$status"
}

# Takes the first window of the game's title whose running process is not the game `old`;
# status 1 while there is none.
game_new_window_seen()
{
    local old=$1 wid pid
    for wid in $(game_windows); do
        pid=$(timeout 5 xdotool getwindowpid "$wid" 2>/dev/null) || continue
        if [[ $pid != "$old" ]] && kill -0 "$pid" 2>/dev/null; then
            GAME_WID=$wid
            GAME_PID=$pid
            GAME_CHILD=""
            GAME_STATUS=""
            GAME_PIDS+=("$pid")
            return 0
        fi
    done
    return 1
}

game_adopt_window()
{
    game_poll "$1" game_new_window_seen "$GAME_PID" && return 0
    GAME_ERROR="no window titled '$GAME_TITLE' of a new running process within $1 s"
    return 1
}

game_to_origin()
{
    # --sync waits until the window has moved (not at all where it is there already).
    timeout 10 xdotool windowmove --sync "$GAME_WID" 0 0 >/dev/null 2>&1 && return 0
    GAME_ERROR="could not move the window $GAME_WID to (0, 0)"
    return 1
}

game_keys()
{
    local delay=20
    if [[ ${1-} == --delay ]]; then
        delay=$2
        shift 2
    fi
    # 10 s, and the time the keys themselves take.
    timeout $((10 + $# * delay / 1000)) \
        xdotool windowfocus --sync "$GAME_WID" key --delay "$delay" "$@" && return 0
    if (($# > 8)); then
        GAME_ERROR="could not send $# keys (${*:1:8} ...)"
    else
        GAME_ERROR="could not send the keys $*"
    fi
    return 1
}

game_wait_exit()
{
    if ! game_poll "$1" game_ended; then
        GAME_ERROR="the game still runs $1 s after it was told to end"
        return 1
    fi
    GAME_STATUS=""
    if [[ -n $GAME_CHILD ]]; then
        GAME_STATUS=0
        wait "$GAME_PID" || GAME_STATUS=$?
    fi
    game_forget "$GAME_PID"
}

# Drops a game that has ended from the list game_stop_all ends: its process id may be reused.
game_forget()
{
    local pid kept=()
    for pid in "${GAME_PIDS[@]}"; do
        [[ $pid == "$1" ]] || kept+=("$pid")
    done
    GAME_PIDS=("${kept[@]}")
}

# Status 0 once no window with the game's title is left, mapped or not (of the process `pid`
# only, where one is named), else 1.
game_window_gone()
{
    local pid=${1-} wid owner
    for wid in $(timeout 5 xdotool search --name "^$GAME_TITLE\$" 2>/dev/null || true); do
        [[ -n $pid ]] || return 1
        owner=$(timeout 5 xdotool getwindowpid "$wid" 2>/dev/null || true)
        [[ $owner != "$pid" ]] || return 1
    done
}

game_wait_no_window()
{
    local seconds=$1 pid=${2-}
    game_poll "$seconds" game_window_gone "$pid" && return 0
    GAME_ERROR="a window titled '$GAME_TITLE'${pid:+ of process $pid} stays $seconds s"
    return 1
}

game_stop_all()
{
    local pid
    for pid in "${GAME_PIDS[@]}"; do
        kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true
    done
    GAME_PIDS=()
}
