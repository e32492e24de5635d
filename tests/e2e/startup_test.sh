#!/usr/bin/env bash
# End to end: the game starts in a small world of ours, opens its titled 500 x 500 window,
# prints the player-start line, and ends with status 0 on "q" and on "Q". Without a terrain
# file it prints its two diagnostics and ends with status 1; without an object map it says
# so and starts above the middle cell.
#
# The world tests/data/startup has 5 rows (four text lines, each ending with a newline, and
# the empty row after the last one) of 5 cells; the start "X" is at row 2, column 3 on digit
# 2 (height 10) and the middle cell (2, 2) holds digit 3 (height 15).
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
need_tools
start_xvfb

data="$E2E_SOURCE/tests/data/startup"

# The window exists with its title and size, the start line is printed once with six
# decimals, and "q" ends the game with status 0.
note "start, window and quit with q"
world=$(copy_world "$data" quit-lower)
start_game "$world"
wait_window
geometry=$(timeout 5 xdotool getwindowgeometry "$GAME_WID" | awk '/Geometry:/ { print $2 }')
[[ "$geometry" == "500x500" ]] || fail "window geometry is '$geometry', expected 500x500"
[[ "$(timeout 5 xdotool getwindowname "$GAME_WID")" == "$GAME_TITLE" ]] ||
    fail "window title differs"
# Moved to the screen's origin, the whole window is on screen and in its picture.
picture_size=$(convert "$(shot whole-window)" -format %wx%h info:)
[[ "$picture_size" == "500x500" ]] || fail "the window's picture is $picture_size, expected 500x500"
wait_stdout_lines "25.000000,35.000000,15.000000 - player start" 1 10
[[ "$(head -c 7 "$world/stdout.txt")" == "loading" ]] ||
    fail "standard output does not begin with 'loading'"
[[ "$(count_stdout_matches " - player start$")" == 1 ]] ||
    fail "the player-start line is not printed exactly once"
expect_running "right after start-up"
send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "'q' ended the game with status $GAME_STATUS, expected 0"
# Quitting prints nothing after the start line.
[[ "$(tail -n 1 "$world/stdout.txt")" == "25.000000,35.000000,15.000000 - player start" ]] ||
    fail "standard output does not end with the player-start line"

note "quit with Q"
world=$(copy_world "$data" quit-upper)
start_game "$world"
wait_window
wait_stdout_lines "25.000000,35.000000,15.000000 - player start" 1 10
send_keys Q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "'Q' ended the game with status $GAME_STATUS, expected 0"

# Without terrain.txt there is no grid: the two diagnostics, nothing else, and status 1.
note "missing terrain file"
world=$(copy_world "$data" no-terrain)
rm "$world/terrain.txt"
start_game "$world"
wait_exit 10
printf "can't open terrain fileERROR LOADING MAP! EXITING PROGRAM!\n" >"$E2E_TMP/no-terrain.txt"
expect_same_bytes "$E2E_TMP/no-terrain.txt" "$world/stdout.txt" "stdout without terrain.txt"
[[ "$GAME_STATUS" == 1 ]] || fail "a failed world load ended with status $GAME_STATUS, expected 1"

# Without objects.txt the game reports it (no line end), places nothing and starts 5 units
# above the middle cell (2, 2) of the 5 x 5 grid, whose centre is at height 15. The model
# files are missing too, and a missing model prints nothing, so the object diagnostic comes
# right after the terrain's "loading".
note "missing object map"
world=$(copy_world "$data" no-objects)
rm "$world/objects.txt"
start_game "$world"
wait_window
wait_stdout_lines "25.000000,25.000000,20.000000 - player start" 1 10
expected_head="loadingcan't open object filesetting person 0, "
[[ "$(head -c ${#expected_head} "$world/stdout.txt")" == "$expected_head" ]] ||
    fail "stdout does not begin with the object-map diagnostic: $(head -c 60 "$world/stdout.txt")"
expect_running "without an object map"
send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "quit without an object map gave status $GAME_STATUS"

note "passed"
