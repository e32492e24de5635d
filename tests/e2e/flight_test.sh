#!/usr/bin/env bash
# End to end: flying as a player. Forward flight moves the view and the HUD position, a turn
# moves the view only; flying down onto a cube is refused with the collision line, onto a
# tree silently by the ground; a straight flight over five people rescues them one by one,
# the timer puts them back, and the HUD count goes on to 6.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
need_tools
start_xvfb

collision="terrain has model & user flying under TERRAIN!!!"

# tests/data/blocks: 5 x 5 cells at height 10 over a row of digit 1 (and the empty row that
# the file's last newline adds). The start is at (3, 2), 5 above the ground at z 15, looking
# towards decreasing x; ahead of it a cube at (2, 2), then a tree at (1, 2). No model files:
# the objects draw nothing but still block or let through.
note "forward flight and turns"
world=$(copy_world "$E2E_SOURCE/tests/data/blocks" blocks)
start_game "$world"
wait_window
wait_drawn
start=$(shot blocks-start)
read -r start_position _ < <(hud_hashes)
turned=$(keys_then_settle "$start" blocks-turned 200 j)
read -r position _ < <(hud_hashes)
[[ "$position" == "$start_position" ]] || fail "a turn changed the HUD position"
back=$(keys_then_settle "$turned" blocks-turned-back 200 l)
(($(pixels_differ "$start" "$back") < 50)) ||
    fail "turning left then right does not face ahead again"
# Five steps of 2 units take the player from x 35 to 25, the cube cell's centre.
keys_then_settle "$back" blocks-ahead 200 i i i i i >/dev/null
read -r position _ < <(hud_hashes)
[[ "$position" != "$start_position" ]] || fail "forward flight did not change the HUD position"

# From z 15 nine steps down reach 10.5, silently; the tenth ("z") and eleventh ("Z") would
# end at the cube cell's height 10 and are refused, each with the line, and the HUD keeps
# showing the same position.
note "down onto the cube"
send_keys z z z z z z z z z
sync_keys
(($(count_stdout_lines "$collision") == 0)) || fail "the collision line came above the cube"
read -r above_cube _ < <(hud_hashes)
send_keys z Z
wait_stdout_lines "$collision" 2 10
sync_keys
(($(count_stdout_lines "$collision") == 2)) ||
    fail "expected the collision line twice, got it $(count_stdout_lines "$collision") times"
read -r position _ < <(hud_hashes)
[[ "$position" == "$above_cube" ]] || fail "the player moved down into the cube"

# At z 10.5, five more steps reach the tree cell's centre; down from there the ground at 10
# stops the player without the line, because a tree can be flown through.
note "down onto the tree"
over_cube=$(shot blocks-over-cube)
keys_then_settle "$over_cube" blocks-over-tree 200 i i i i i >/dev/null
read -r above_tree _ < <(hud_hashes)
[[ "$above_tree" != "$above_cube" ]] || fail "could not fly on from the cube to the tree"
send_keys z z z
sync_keys
(($(count_stdout_lines "$collision") == 2)) || fail "the tree printed the collision line"
read -r position _ < <(hud_hashes)
[[ "$position" == "$above_tree" ]] || fail "the player moved down into the ground under the tree"
send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "quit gave status $GAME_STATUS"

# tests/data/strip: water everywhere but a strip of five digit-1 cells in column 1, rows 1
# to 5; the start is at (6, 1), x 65, z 5. The five strip cells are the only places for
# people, whatever the time: person k of the strip (counted from the start) stands at x
# 65 - 10k, y 15, z 5. Nine steps up put the player at z 9.5, 4.5 above them, where a rescue
# needs a ground distance of at most 5.36: the forward steps m = 3, 8, 13, 18 and 23
# (ground distance 4) each save one, and no step between them does. After the fifth, the
# timer puts all five back on the same cells; step 24 then saves the person at x 15 (ground
# distance 2) and no other, and the count reads 6.
note "rescue flight"
world=$(copy_world "$E2E_SOURCE/tests/data/strip" strip)
start_game "$world"
wait_window
wait_drawn
placing="setting person [0-4], [0-9]*,[0-9]*"
# The cells ("row,col ") of the placement lines in the given sed range, sorted.
cells_of_placement()
{
    grep -o "$placing" "$world/stdout.txt" | sed -n "$1" | sed 's/^setting person [0-4], //' |
        sort | tr '\n' ' '
}
strip_cells="1,1 2,1 3,1 4,1 5,1 "
[[ "$(count_stdout_matches "$placing")" == 5 ]] ||
    fail "start-up placed $(count_stdout_matches "$placing") people, expected 5"
[[ "$(cells_of_placement 1,5p)" == "$strip_cells" ]] ||
    fail "people stand on '$(cells_of_placement 1,5p)', expected '$strip_cells'"

send_keys a a a a a a a a a
sync_keys
read -r position saved < <(hud_hashes)
seen=("$saved")
changed_at=""
for m in $(seq 24); do
    if ((m == 24)); then
        wait_stdout_matches "$placing" 10 10
        [[ "$(cells_of_placement 6,10p)" == "$strip_cells" ]] ||
            fail "people came back on '$(cells_of_placement 6,10p)', expected '$strip_cells'"
    elif ((m == 23)); then
        [[ "$(count_stdout_matches "$placing")" == 5 ]] ||
            fail "people were placed again before step 23 (the count changed at steps $changed_at)"
    fi
    send_keys i
    deadline=$((SECONDS + 10))
    while :; do
        read -r new_position new_saved < <(hud_hashes)
        [[ "$new_position" != "$position" ]] && break
        ((SECONDS < deadline)) || fail "step $m did not move the player"
        sleep 0.02
    done
    position=$new_position
    if [[ "$new_saved" != "$saved" ]]; then
        changed_at+="$m "
        for old in "${seen[@]}"; do
            [[ "$old" != "$new_saved" ]] || fail "step $m shows a saved count seen before"
        done
        seen+=("$new_saved")
        saved=$new_saved
    fi
done
[[ "$changed_at" == "3 8 13 18 23 24 " ]] ||
    fail "the saved count changed at steps '$changed_at', expected '3 8 13 18 23 24 '"
sync_keys
[[ "$(count_stdout_matches "$placing")" == 10 ]] ||
    fail "people were placed again after one of five was saved"
send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "quit gave status $GAME_STATUS"

note "passed"
