#!/usr/bin/env bash
# End to end: the render switches seen on screen in the bundled world. The default view is
# band-coloured wire-frame over black with the white HUD; each key then changes the picture
# in its own way: depth test, overhead camera and its height, filled, textures, lighting,
# fog. With time frozen no person stands within sight of the start, so a frame only changes
# when a key changes it and pictures can be compared pixel for pixel.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
need_tools
start_xvfb
need_frozen_time

# The window's picture is all of its 500 x 500 pixels (wait_window moves it to the origin).
readonly window_pixels=$((500 * 500))
readonly centre="100x100+200+200"
black='r == 0 && g == 0 && b == 0'
grass='r == 0 && g == 255 && b == 0'
red='r == 255 && g == 0 && b == 0'
white='r == 255 && g == 255 && b == 255'

world=$(copy_world "$E2E_SOURCE/world" bundled)
start_game_frozen "$world"
wait_window
wait_drawn

note "default view: wire-frame with hidden lines removed"
default=$(wait_shot_stable default 10)
default_black=$(count_pixels "$default" "" "$black")
((default_black > window_pixels * 8 / 10)) ||
    fail "default view is not mostly black ($default_black)"
(($(count_pixels "$default" "" "$grass") > 2000)) || fail "default view shows no grass lines"
(($(count_pixels "$default" "" "$grass") < window_pixels / 10)) || fail "default view is filled"
(($(count_pixels "$default" "$HUD_CROP" "$white") > 300)) || fail "no white HUD text top left"
(($(count_pixels "$default" "160x160+340+0" "$white") == 0)) || fail "white pixels top right"

# Without the depth test there is no hidden-line pass: lines behind nearer surfaces show.
note "B shows hidden lines, b hides them again"
no_depth=$(keys_then_settle "$default" no-depth 500 B)
(($(count_pixels "$no_depth" "" "$black") < default_black - 2000)) ||
    fail "depth test off does not show more lines"
restored=$(keys_then_settle "$no_depth" depth-again 500 b)
(($(pixels_differ "$default" "$restored") == 0)) || fail "b does not bring the default view back"

# The overhead camera draws the red arrowhead at the player, in the middle of the window.
# Raising the camera makes it smaller; leaving the overhead camera resets its height to 10.
note "o: overhead camera with the red marker; u raises it; O resets"
(($(count_pixels "$default" "" "$red") == 0)) || fail "red pixels in the first-person view"
overhead=$(keys_then_settle "$default" overhead 500 o)
marker=$(count_pixels "$overhead" "$centre" "$red")
((marker > 100)) || fail "overhead view shows $marker red marker pixels near the centre"
higher=$(keys_then_settle "$overhead" overhead-higher 500 u u u u u)
higher_marker=$(count_pixels "$higher" "$centre" "$red")
((higher_marker > 20 && higher_marker < marker * 3 / 4)) ||
    fail "raising the camera does not shrink the marker ($marker -> $higher_marker)"
back=$(keys_then_settle "$higher" overhead-off 500 O)
(($(pixels_differ "$default" "$back") == 0)) || fail "O does not bring the first-person view back"
again=$(keys_then_settle "$back" overhead-again 500 o)
(($(pixels_differ "$overhead" "$again") == 0)) ||
    fail "leaving the overhead camera keeps its height"

# Back in the first-person view (the default picture), "p" fills the bands.
note "p: filled bands"
filled=$(keys_then_settle "$default" filled 10000 O p)
filled_grass=$(count_pixels "$filled" "" "$grass")
((filled_grass > window_pixels / 4)) || fail "filled view shows only $filled_grass grass pixels"

# The grass texture modulates the band colour: the flat pure green is gone.
note "t: textures"
textured=$(keys_then_settle "$filled" textured 10000 t)
textured_grass=$(count_pixels "$textured" "" "$grass")
((textured_grass < filled_grass / 5)) || fail "textures leave $textured_grass pure grass pixels"

# The light hangs 5 units above the player and there is no ambient light: the ground, lit
# at slanting angles, darkens.
note "k: lighting"
lit=$(keys_then_settle "$textured" lit 10000 k)
ground="500x200+0+300"
(($(brightness "$lit" "$ground") < $(brightness "$textured" "$ground") * 9 / 10)) ||
    fail "lighting does not darken the far ground"

# Black linear fog from 65 to 80 units darkens the far ground near the horizon and leaves
# the near ground as it was.
note "f: fog"
foggy=$(keys_then_settle "$lit" foggy 1000 f)
far="500x40+0+301"
near="500x100+0+400"
(($(brightness "$foggy" "$far") < $(brightness "$lit" "$far") * 3 / 4)) ||
    fail "fog does not darken the far ground"
(($(pixels_differ "$lit" "$foggy" "$near") == 0)) || fail "fog changes the near ground"
clear=$(keys_then_settle "$foggy" fog-off 1000 F)
(($(pixels_differ "$lit" "$clear") == 0)) || fail "F does not switch the fog off again"

send_keys q
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "quit gave status $GAME_STATUS"
note "passed"
