# The one way this project starts a virtual display: every script and test sources this file.
#
#   source scripts/xvfb.sh
#   xvfb_start [WIDTHxHEIGHT]   start a private Xvfb (default 640x640), export DISPLAY
#   xvfb_stop                   stop it again (also safe when none runs)
#   xvfb_run [-s WxH] CMD...    start one, run CMD on it, stop it; CMD's status
#
# The server picks a free display number itself (-displayfd), so servers side by side never
# meet; it does not reset when its last client leaves (-noreset), so a game started right
# after another one quit still finds it. xvfb_start returns only once that very server
# answers on the number it chose; xvfb_stop ends it by its own process id. Every wait is bounded. Sourcing it changes no shell option.

XVFB_PID=""
XVFB_DIR=""

# Prints a message on standard error and returns 1.
xvfb_error()
{
    echo "xvfb: $*" >&2
    if [[ -n $XVFB_DIR && -s $XVFB_DIR/log ]]; then
        sed 's/^/xvfb:   /' "$XVFB_DIR/log" | tail -n 5 >&2
    fi
    return 1
}

xvfb_start()
{
    local size=${1:-640x640} number="" _
    [[ -z $XVFB_PID ]] || xvfb_stop
    command -v Xvfb >/dev/null || {
        xvfb_error "Xvfb is not installed"
        return 1
    }
    XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vantora-xvfb.XXXXXX") || return 1
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${size}x24" \
        3>"$XVFB_DIR/display" >"$XVFB_DIR/log" 2>&1 &
    XVFB_PID=$!
    # The server writes its display number, and a line end, once it accepts clients.
    for _ in $(seq 200); do
        [[ $(wc -l <"$XVFB_DIR/display") -ge 1 ]] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    number=$(head -n 1 "$XVFB_DIR/display")
    if [[ ! $number =~ ^[0-9]+$ ]]; then
        xvfb_error "Xvfb gave no display number within 10 s"
        xvfb_stop
        return 1
    fi
    # The number came from our server, which bound that display's socket itself; once it
    # answers, and is still alive, the answer is its own.
    for _ in $(seq 100); do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        if DISPLAY=":$number" timeout 5 xdpyinfo >/dev/null 2>&1 &&
            kill -0 "$XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$number"
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
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    [[ -z $XVFB_DIR ]] || rm -rf "$XVFB_DIR"
    XVFB_PID=""
    XVFB_DIR=""
}

xvfb_run()
{
    local size=640x640 status=0
    if [[ ${1:-} == -s ]]; then
        size=$2
        shift 2
    fi
    xvfb_start "$size" || return 1
    "$@" || status=$?
    xvfb_stop
    return "$status"
}
