#!/usr/bin/env bash
# End to end: the whole start-up output of a tiny world of ours, byte for byte (mesh reading,
# lookups, object placement, people, normals, textures, start line), and the placed objects
# of the bundled world on screen.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
need_tools
start_xvfb
need_frozen_time

# tests/data/tiny: terrain.txt has three text lines of four cells, each ending with a
# newline, so the grid has 4 rows (the last all height 0) and prints "south exits" 3 x 4
# times. objects.txt puts a pyramid at (0, 0), a tree at (0, 3), the start at (1, 2) and a
# cube at (2, 0). Exactly five cells are free and of digit 1 -- (0, 1), (1, 0), (1, 2),
# (1, 3), (2, 1) -- so the people stand on those; the frozen second fixes their order.
# tree.txt is missing: its identifier is drawn all the same, the tree's lookup fails.
# The mesh identifiers come from the first four values of an unseeded glibc rand(), squared
# in 32 bits, low 16 bits signed; GL texture names are 1 to 4 in the order generated.
note "start-up output of the tiny world"
world=$(copy_world "$E2E_SOURCE/tests/data/tiny" tiny)
rm "$world/expected-stdout.txt"
start_game_frozen "$world"
wait_window
expect_preloaded
wait_stdout_lines "15.000000,25.000000,10.000000 - player start" 1 10
send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "quit gave status $GAME_STATUS"
expect_same_bytes "$E2E_SOURCE/tests/data/tiny/expected-stdout.txt" "$world/stdout.txt" \
    "start-up output of the tiny world"

# The bundled world seen from its start, filled and unlit: the cubes' wall colour and the
# pyramids' face colours show exactly, and none of them shows once the object map holds
# nothing but the start.
cube_wall='r == 237 && g == 222 && b == 184'
pyramid='(r == 222 && g == 189 && b == 120) || (r == 194 && g == 161 && b == 97)'

note "objects of the bundled world on screen"
world=$(copy_world "$E2E_SOURCE/world" bundled)
start_game_frozen "$world"
wait_window
wait_drawn
wire=$(wait_shot_stable bundled-wire 10)
(($(count_pixels "$wire" "" "$cube_wall") > 200)) ||
    fail "no cube outlines in the wire-frame view"
filled=$(keys_then_settle "$wire" bundled-filled 10000 p)
cubes=$(count_pixels "$filled" "" "$cube_wall")
pyramids=$(count_pixels "$filled" "" "$pyramid")
((cubes > 5000)) || fail "filled view shows $cubes cube-wall pixels, expected over 5000"
((pyramids > 500)) || fail "filled view shows $pyramids pyramid pixels, expected over 500"
send_keys q
wait_exit 5

note "the same view without objects"
world=$(copy_world "$E2E_SOURCE/world" bundled-empty)
sed -i 's/[ACTact]/./g' "$world/objects.txt"
start_game_frozen "$world"
wait_window
wait_drawn
empty_wire=$(wait_shot_stable bundled-empty-wire 10)
empty=$(keys_then_settle "$empty_wire" bundled-empty 10000 p)
(($(count_pixels "$empty" "" "r == 0 && g == 255 && b == 0") > 20000)) ||
    fail "the empty world's filled view shows no grass"
(($(count_pixels "$empty" "" "($cube_wall) || $pyramid") == 0)) ||
    fail "object colours show in a world without objects"
send_keys q
wait_exit 5

note "passed"
