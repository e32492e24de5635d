#!/usr/bin/env bash
# The Windows game under Wine starts, and ends on "q", as the Linux game does: in every world
# of the golden list (tests/e2e/golden_worlds.sh) its whole standard output, in a pipe, and
# its exit status are those of the Linux game, byte for byte. Both run with time frozen at the
# same second, and the Linux game with the Windows C library's rand (VANTORA_WINDOWS_LIKE), so
# that both draw the same mesh identifiers and put the people on the same cells. The Linux
# game runs with its output fully buffered and line-buffered (stdbuf -oL), which must agree;
# the Windows game buffers a pipe fully whatever stdbuf says. Checks every world, then names
# each world that differs and shows where the bytes part.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
# shellcheck source=tests/e2e/golden_worlds.sh
source "$(dirname "$0")/../e2e/golden_worlds.sh"

need_windows_build
need_tools mkfifo cmp od sha256sum wine wineserver
worldgen=$(dirname "$VANTORA_BIN")/tools/worldgen/vantora-worldgen
[[ -x "$worldgen" ]] || fail "no world generator at $worldgen"
windows_like=${VANTORA_WINDOWS_LIKE:-$(dirname "$VANTORA_BIN")/tests/windows/libvantora_windows_like.so}
[[ -f "$windows_like" ]] || fail "no preload at $windows_like (target vantora_windows_like)"

# Wine puts the window at (4, 23) on a screen without a window manager: a 500 x 500 screen
# would cut it.
start_xvfb 640x640
need_frozen_time
need_wine
# One server for every run, started here without the frozen clock, rather than one started
# by each game under it and ended after it.
timeout 20 wineserver -k 2>/dev/null || true
timeout 20 wineserver -p || fail "could not start a lasting wineserver"

# The first mesh identifier the game draws from Windows' rand: its first number is 41, and the
# identifier is the low 16 bits of the square.
readonly first_mesh="created geometry with ID: 1681 - 1681"

mapfile -t worlds < <(golden_worlds)
mkdir -p "$E2E_TMP/out"
problems=()
declare -A windows_status
for name in "${worlds[@]}"; do
    golden_make_world "$name" "$worldgen"
    out=$E2E_TMP/out/$name
    golden_run --preload "$windows_like" "$GOLDEN_WORLD" full "$out.linux"
    linux_status=$GOLDEN_STATUS
    golden_run --preload "$windows_like" "$GOLDEN_WORLD" line "$out.linux-line"
    if [[ $GOLDEN_STATUS != "$linux_status" ]] || ! cmp -s "$out.linux" "$out.linux-line"; then
        problems+=("$name: the Linux game's output or status line-buffered is not fully buffered's")
    fi
    golden_run "$GOLDEN_WORLD" full "$out.windows" wine "$VANTORA_EXE"
    windows_status[$name]=$GOLDEN_STATUS
    golden_compare "$name (Windows)" "the Linux game" "$linux_status" "$out.linux" "$out.windows"
    # Each transcript on its own: a game that reads the cube, the first model it loads, gives
    # it the first identifier. (A missing file draws its number too, but prints nothing.)
    for system in linux windows; do
        first=$(grep -m 1 -o 'created geometry with ID: [-0-9]* - [-0-9]*' "$out.$system" || true)
        if [[ -f $GOLDEN_WORLD/cube.txt && -n $first && $first != "$first_mesh" ]]; then
            problems+=("$name ($system): the first mesh is '$first', not Windows' '$first_mesh'")
        fi
    done
    note "$name: status ${windows_status[$name]}, $(wc -c <"$out.windows") bytes on Windows"
done
# The Windows game loads the bundled world, reads its models and ends on "q" with status 0.
grep -qxF "$first_mesh" "$E2E_TMP/out/bundled.windows" ||
    problems+=("bundled: the Windows game read no model as the first mesh 1681")
grep -q ' - player start$' "$E2E_TMP/out/bundled.windows" ||
    problems+=("bundled: the Windows game did not place the player")
[[ ${windows_status[bundled]} == 0 ]] ||
    problems+=("bundled: the Windows game ended with status ${windows_status[bundled]} on 'q'")
# The prefix (some 700 MB) is of no use to the comparison, nor kept for a failed one.
stop_wine

if ((${#problems[@]} > 0)); then
    printf '  %s\n' "${problems[@]}" >&2
    fail "${#problems[@]} differences between the Windows and the Linux game (outputs in $E2E_TMP/out)"
fi
note "passed: ${#worlds[@]} worlds, the same output and status on both systems"
