#!/usr/bin/env bash
# The unit and GL tests built with AddressSanitizer and UndefinedBehaviorSanitizer
# (`cmake --preset asan`, in build-asan), run by `ctest --preset asan` on a private Xvfb.
# The preset sets the sanitizer options; tests/sanitizer/lsan.supp suppresses leaks that
# belong to Mesa and the X libraries only. The end-to-end tests are left to the normal build.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "${JOBS:-2}" >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-sanitize.XXXXXX")
xvfb_pid=""
cleanup()
{
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# A private X server on the first free display; it writes the number it took to fd 3.
Xvfb -displayfd 3 -screen 0 640x640x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ $(wc -l <"$tmp/display") -ge 1 ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [[ $(wc -l <"$tmp/display") -lt 1 ]]; then
    echo "check-sanitize: Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$tmp/display")"

# Mesa unloads its GL driver when the display closes, before LeakSanitizer looks for leaks
# at exit, and frames in an unloaded library have no name: the driver's own leaks could not
# be told from ours. Loading the driver with each test keeps it mapped to the end. (The
# preset's verify_asan_link_order=0 lets it come before the sanitizer runtime.)
for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib{64,}/dri/swrast_dri.so; do
    if [[ -f $driver ]]; then
        export LD_PRELOAD=$driver
        break
    fi
done
[[ -n ${LD_PRELOAD:-} ]] ||
    echo "check-sanitize: no swrast_dri.so found; GL driver leaks may be reported" >&2

ctest --preset asan -j "${JOBS:-2}" "$@"
