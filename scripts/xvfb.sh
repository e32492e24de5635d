# shellcheck shell=bash
# The one way this project starts a virtual display: every script and test sources this file.
#
#   source scripts/xvfb.sh
#   xvfb_start [WIDTHxHEIGHT]   start a private Xvfb (default 640x640), export DISPLAY
#   xvfb_stop                   stop it again and restore DISPLAY (also safe when none runs)
#   xvfb_run [-s WxH] CMD...    start one, run CMD on it, stop it; CMD's status
#
# The server picks a free display number itself (-displayfd), so servers side by side never
# meet; it does not reset when its last client leaves (-noreset), so a game started right
# after another one quit still finds it. xvfb_start returns only once that very server
# answers on the number it chose; xvfb_stop ends it by its own process id. Every wait is
# bounded. Sourcing it changes no shell option and sets no trap: a caller that may be
# interrupted stops the server in its own EXIT trap. Call xvfb_start in the shell that calls
# xvfb_stop, never inside $(...): only that shell can wait for the server.

XVFB_PID=""
XVFB_DIR=""
XVFB_DISPLAY=""       # ":N" while a server runs
XVFB_OLD_DISPLAY=""   # DISPLAY before xvfb_start, restored by xvfb_stop
XVFB_HAD_DISPLAY=""

# Prints a message and the end of the server's log on standard error.
xvfb_error()
{
    echo "xvfb: $*" >&2
    if [[ -n $XVFB_DIR && -s $XVFB_DIR/log ]]; then
        tail -n 5 "$XVFB_DIR/log" | sed 's/^/xvfb:   /' >&2
    fi
    return 0
}

xvfb_start()
{
    local size=${1:-640x640} number="" _
    [[ -z $XVFB_PID ]] || xvfb_stop
    if [[ ! $size =~ ^[0-9]+x[0-9]+$ ]]; then
        xvfb_error "screen size '$size' is not WIDTHxHEIGHT"
        return 1
    fi
    if ! command -v Xvfb >/dev/null || ! command -v xdpyinfo >/dev/null; then
        xvfb_error "Xvfb and xdpyinfo are needed (Debian: xvfb, x11-utils)"
        return 1
    fi
    XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vantora-xvfb.XXXXXX") || return 1
    # The file exists before the server starts: the loop below reads it at once.
    : >"$XVFB_DIR/display"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${size}x24" \
        3>"$XVFB_DIR/display" </dev/null >"$XVFB_DIR/log" 2>&1 &
    XVFB_PID=$!
    # The server writes its display number, and a line end, once it accepts clients.
    for _ in $(seq 400); do
        [[ $(wc -l <"$XVFB_DIR/display") -ge 1 ]] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    number=$(head -n 1 "$XVFB_DIR/display")
    if [[ ! $number =~ ^[0-9]+$ ]]; then
        xvfb_error "Xvfb gave no display number within 20 s"
        xvfb_stop
        return 1
    fi
    # The number came from our server, which bound that display's socket itself; once it
    # answers, and is still alive, the answer is its own.
    for _ in $(seq 100); do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        if DISPLAY=":$number" timeout 5 xdpyinfo >/dev/null 2>&1 &&
            kill -0 "$XVFB_PID" 2>/dev/null; then
            XVFB_HAD_DISPLAY=${DISPLAY+set}
            XVFB_OLD_DISPLAY=${DISPLAY-}
            XVFB_DISPLAY=":$number"
            export DISPLAY=$XVFB_DISPLAY
            return 0
        fi
        sleep 0.05
    done
    xvfb_error "Xvfb on :$number does not answer"
    xvfb_stop
    return 1
}

xvfb_stop()
{
    local _
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        # Bounded: a server that ignores the request is killed after 5 s.
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 "$XVFB_PID" 2>/dev/null; then
            kill -KILL "$XVFB_PID" 2>/dev/null || true
        fi
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [[ -n $XVFB_DISPLAY && ${DISPLAY-} == "$XVFB_DISPLAY" ]]; then
        if [[ -n $XVFB_HAD_DISPLAY ]]; then
            export DISPLAY=$XVFB_OLD_DISPLAY
        else
            unset DISPLAY
        fi
    fi
    [[ -z $XVFB_DIR ]] || rm -rf "$XVFB_DIR"
    XVFB_PID=""
    XVFB_DIR=""
    XVFB_DISPLAY=""
}

xvfb_run()
{
    local size=640x640 status=0
    if [[ ${1:-} == -s ]]; then
        size=${2:?xvfb_run: -s needs WIDTHxHEIGHT}
        shift 2
    fi
    if [[ $# -eq 0 ]]; then
        xvfb_error "xvfb_run: no command"
        return 1
    fi
    xvfb_start "$size" || return 1
    "$@" || status=$?
    xvfb_stop
    return "$status"
}
