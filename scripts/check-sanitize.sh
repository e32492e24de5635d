#!/usr/bin/env bash
# The unit and GL tests built with AddressSanitizer and UndefinedBehaviorSanitizer
# (`cmake --preset asan`, in build-asan), run by `ctest --preset asan` on a private Xvfb.
# The preset sets the sanitizer options; tests/sanitizer/lsan.supp suppresses leaks that
# belong to Mesa and the X libraries only. The end-to-end tests are left to the normal build,
# and so are the Windows comparisons, whose preloads cannot come before the sanitizer's runtime.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "${JOBS:-2}" >/dev/null

# A private X server (scripts/xvfb.sh) for the GL tests.
# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
trap xvfb_stop EXIT
trap 'exit 143' TERM INT
xvfb_start 640x640 || {
    echo "check-sanitize: Xvfb did not start" >&2
    exit 1
}

# Mesa unloads its GL driver when the display closes, before LeakSanitizer looks for leaks
# at exit, and frames in an unloaded library have no name: the driver's own leaks could not
# be told from ours. Loading the driver with each test keeps it mapped to the end. (The
# preset's verify_asan_link_order=0 lets it come before the sanitizer runtime.)
# Only ctest and the tests get it: this script's own helpers need no GL driver.
preload=()
for driver in /usr/lib/*/dri/swrast_dri.so /usr/lib{64,}/dri/swrast_dri.so; do
    if [[ -f $driver ]]; then
        preload=(env LD_PRELOAD="$driver")
        break
    fi
done
((${#preload[@]} > 0)) ||
    echo "check-sanitize: no swrast_dri.so found; GL driver leaks may be reported" >&2

"${preload[@]}" ctest --preset asan -j "${JOBS:-2}" "$@"
