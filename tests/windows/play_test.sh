#!/usr/bin/env bash
# End to end, the Windows game under Wine played beside the Linux game on one display:
# - the start view of the bundled world, every view along a few keys (forward, turn) and the
#   filled, lit and textured view after them are the Linux game's, pixel for pixel over the
#   whole 500 x 500 window, and the people stand on the same cells (their lines on standard
#   output);
# - the keys move the head-up display's position;
# - "q" ends the Windows game with status 0;
# - "r" ends it with status 0 and starts the program again, in the same world folder, from
#   folders whose names hold "&", "%", spaces and a letter outside ASCII.
# Both games run with time frozen at the same second; the Linux game also with
# VANTORA_WINDOWS_LIKE, which gives it the Windows C library's rand and the 24-bit depth buffer
# that freeglut asks for on Windows. The two games run one after the other, each moved to the
# screen's origin before any picture is taken.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"

need_windows_build
need_tools wine wineserver xwininfo
windows_like=${VANTORA_WINDOWS_LIKE:-$(dirname "$VANTORA_BIN")/tests/windows/libvantora_windows_like.so}
[[ -f "$windows_like" ]] || fail "no preload at $windows_like (target vantora_windows_like)"

# Wine puts its window at (4, 23) on a screen without a window manager: a 500 x 500 screen
# would cut it.
start_xvfb 640x640
need_frozen_time
linux_env=("${E2E_FROZEN_ENV[@]}" LD_PRELOAD="$E2E_FAKETIME_LIB:$windows_like")

# The keys played after the start view, one at a time: forward twice, left, forward (the
# wire-frame views), then filled, lit, textured.
readonly play_keys=(i i j i p k t)
readonly moves=4

# The lines that say where the people stand, from a game's standard output.
people_lines()
{
    grep -a '^setting person ' "$1/stdout.txt" | tr -d '\r' || true
}

# Prints the ids of the viewable top-level windows that lie above the game window (GAME_WID)
# and cover part of it: a picture of a window shows whatever covers it. Fails unless the game
# window is a top-level window.
windows_over_game()
{
    local id found="" info x y w h gx gy gw gh
    read -r gx gy gw gh < <(timeout 5 xwininfo -id "$GAME_WID" | window_box)
    [[ -n $gh ]] || fail "no size and place of the game window $GAME_WID"
    # The root's children, bottom first.
    while read -r id; do
        if [[ -z $found ]]; then
            [[ $((id)) == "$GAME_WID" ]] && found=1
            continue
        fi
        info=$(timeout 5 xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        read -r x y w h < <(window_box <<<"$info")
        if ((x < gx + gw && x + w > gx && y < gy + gh && y + h > gy)); then
            echo "$id"
        fi
    done < <(timeout 5 xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }')
    [[ -n $found ]] || fail "the game window $GAME_WID is not a top-level window"
}

# Reads xwininfo's description of a window; prints its x, y, width and height.
window_box()
{
    awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
         /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# Moves the game window to the origin and every window that covers it below it, out of its
# way (Wine restacks its windows after an outside raise, but leaves them where they are
# put). Waits (at most `seconds`, 0 by default) for such a window to appear first. A failed
# look inside $(...) has said why already: the caller ends too.
clear_view()
{
    local seconds=${1:-0} over id
    game_to_origin || fail "$GAME_ERROR"
    local deadline=$((SECONDS + seconds))
    while :; do
        over=$(windows_over_game) || exit 1
        if [[ -n $over ]] || ((SECONDS >= deadline)); then break; fi
        sleep 0.05
    done
    deadline=$((SECONDS + 10))
    while [[ -n $over ]]; do
        ((SECONDS < deadline)) || fail "windows $over still cover the game after 10 s"
        for id in $over; do
            timeout 10 xdotool windowmove "$((id))" 0 520 ||
                fail "could not move the window $id out of the game's way"
        done
        sleep 0.05
        over=$(windows_over_game) || exit 1
    done
}

# wait_shot_stable for a game window that others may cover: the settled picture counts once
# no window covers the game after it was taken.
shot_in_view()
{
    local name=$1 file over _
    for _ in 1 2 3; do
        clear_view
        file=$(wait_shot_stable "$name" 10) || exit 1
        over=$(windows_over_game) || exit 1
        if [[ -z $over ]]; then
            echo "$file"
            return 0
        fi
    done
    fail "windows $over came over the game while its picture $name was taken"
}

# Plays the running game (its window in front and drawn): the start view, then each key of
# play_keys, each view settled, as PREFIX-0.png, PREFIX-1.png, ...; then "q". Sets
# GAME_STATUS.
play()
{
    local prefix=$1 previous n=0 key
    previous=$(shot_in_view "$prefix-0")
    for key in "${play_keys[@]}"; do
        n=$((n + 1))
        # A key whose view does not change by 100 pixels did nothing: keys_then_settle fails.
        previous=$(keys_then_settle "$previous" "$prefix-$n" 100 "$key")
    done
    # After the moves the position line of the head-up display is no longer the start's.
    (($(pixels_differ "$E2E_TMP/$prefix-0.png" "$E2E_TMP/$prefix-$moves.png" "$HUD_CROP") > 0)) ||
        fail "$prefix: the head-up display did not change after '${play_keys[*]:0:moves}'"
    send_keys q
    wait_exit 20
}

note "the Linux game in the bundled world"
linux_world=$(copy_world "$E2E_SOURCE/world" world-linux)
start_game "$linux_world" "${linux_env[@]}"
wait_window
wait_drawn
play linux
[[ "$GAME_STATUS" == 0 ]] || fail "the Linux game ended with status $GAME_STATUS on q"

note "the Windows game in the same world"
windows_world=$(copy_world "$E2E_SOURCE/world" world-windows)
start_game_windows "$windows_world" "${E2E_FROZEN_ENV[@]}"
wait_window 60
note "the Windows game's window is there"
clear_view
wait_drawn
play windows
[[ "$GAME_STATUS" == 0 ]] || fail "the Windows game ended with status $GAME_STATUS on q, expected 0"

note "the same pictures and the same people"
# Step 0 is the start view, 1 to 4 the moves, 5 to 7 filled, lit, textured.
differences=()
for n in $(seq 0 ${#play_keys[@]}); do
    count=$(pixels_differ "$E2E_TMP/linux-$n.png" "$E2E_TMP/windows-$n.png")
    if ((count > 0)); then
        what="start view"
        ((n == 0)) || what="after '${play_keys[*]:0:n}'"
        differences+=("$what: $count pixels differ (picture of the differences: difference-$n.png)")
        compare "$E2E_TMP/linux-$n.png" "$E2E_TMP/windows-$n.png" \
            "$E2E_TMP/difference-$n.png" 2>/dev/null || true
    fi
done
if ((${#differences[@]} > 0)); then
    printf '  %s\n' "${differences[@]}" >&2
    fail "${#differences[@]} of $((${#play_keys[@]} + 1)) views differ between the Windows and the Linux game"
fi
linux_people=$(people_lines "$linux_world")
windows_people=$(people_lines "$windows_world")
(($(wc -l <<<"$linux_people") == 5)) ||
    fail "the Linux game did not place five people: '$linux_people'"
[[ "$windows_people" == "$linux_people" ]] ||
    fail "the people stand elsewhere on Windows: '$windows_people', on Linux: '$linux_people'"

note "r starts the game again in the same folder"
# A world of its own: the start three cells further north, so that the start view shows
# which folder a game reads. The folder's name holds "&", a space, "%PATH%" and "é"; the
# program runs from a copy in another such folder, so that its own path, which the restart
# hands to the command interpreter, holds them too. Wine's cmd expands a %NAME% of an
# existing variable again inside a value it has just expanded, which Windows' does not; so
# the program's folder holds a %...% pair that names no variable.
restart_world=$(copy_world "$E2E_SOURCE/world" "Welt & 100%PATH% é")
awk -v out="$restart_world/objects.txt" '
    { line[NR] = $0; if (index($0, "X")) start = NR }
    END {
        if (!start || start <= 3) exit 1
        column = index(line[start], "X")
        if (substr(line[start - 3], column, 1) != ".") exit 1
        sub(/X/, ".", line[start])
        line[start - 3] = substr(line[start - 3], 1, column - 1) "X" substr(line[start - 3], column + 1)
        for (n = 1; n <= NR; ++n) printf "%s%s", line[n], (n < NR ? "\n" : "") >out
    }' "$E2E_SOURCE/world/objects.txt" || fail "found no start marker to move in world/objects.txt"
[[ $(tail -c 1 "$E2E_SOURCE/world/objects.txt" | od -An -c | tr -d ' ') != '\n' ]] ||
    echo >>"$restart_world/objects.txt"
program_folder="$E2E_TMP/Spiel & 100%NICHT_DA% é"
mkdir -p "$program_folder"
cp "$VANTORA_EXE" "$program_folder/vantora.exe"

VANTORA_EXE="$program_folder/vantora.exe" start_game_windows "$restart_world" "${E2E_FROZEN_ENV[@]}"
wait_window 60
first_pid=$GAME_PID
clear_view
wait_drawn
first=$(shot_in_view restart-first)
(($(pixels_differ "$E2E_TMP/windows-0.png" "$first") > 1000)) ||
    fail "the moved start shows the bundled world's start view"
send_keys r
wait_exit 20
[[ "$GAME_STATUS" == 0 ]] || fail "r ended the Windows game with status $GAME_STATUS, expected 0"

# The first game's window goes with its process; then the new game's window appears, in a
# process of its own.
game_wait_no_window 10 "$first_pid" || fail "the first game: $GAME_ERROR"
game_adopt_window 60 || fail "after r: $GAME_ERROR"
# Wine shows a Windows program's own path as its first argument: the copy in the odd folder.
started=$(tr '\0' '\n' <"/proc/$GAME_PID/cmdline" | head -n 1)
expected_path="Z:${program_folder//\//\\}\\vantora.exe"
[[ "$started" == "$expected_path" ]] ||
    fail "the restart started '$started', expected '$expected_path'"
note "the new game runs (process $GAME_PID)"
# Wine opens a console window for the new game, a console program that start runs on its
# own, just before or after the game's window, in front of it.
clear_view 5
wait_drawn
again=$(shot_in_view restart-again)
count=$(pixels_differ "$first" "$again")
((count == 0)) || fail "the restarted game's start view differs from the first's in $count pixels"

# The new game is no child of this script: its end is seen by its process and window going.
send_keys q
wait_exit 20
game_wait_no_window 20 "$GAME_PID" || fail "the restarted game: $GAME_ERROR"

note "passed"
