#!/usr/bin/env bash
# The icon program draws the landscape: a PNG of the size asked for, transparent around the
# picture, with the grass, water, dirt and snow of the game's bands in it, and an SVG whose
# polygons carry the same colours.
# Usage: icon_test.sh VANTORA_ICON   (needs ImageMagick's convert)
set -uo pipefail

[[ $# -eq 1 ]] || { echo "usage: $0 VANTORA_ICON" >&2; exit 2; }
icon=$1
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-icon.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$icon" svg "$tmp/icon.svg" || fail "svg: status $?"
grep -q '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256"' "$tmp/icon.svg" ||
    fail "the SVG has no 256 x 256 root"
[[ $(grep -c '<polygon ' "$tmp/icon.svg") -gt 100 ]] || fail "the SVG has hardly any polygons"

"$icon" png 0 "$tmp/zero.png" 2>/dev/null && fail "a picture of side 0 was accepted"
"$icon" png 48 "$tmp/icon.png"
status=$?
if [[ $status -ne 0 ]]; then
    fail "png: status $status"
elif ! command -v convert >/dev/null; then
    echo "note: no ImageMagick; the PNG is not looked at"
else
    [[ $(convert "$tmp/icon.png" -format '%w %h %[channels]' info:) == "48 48 srgba" ]] ||
        fail "the PNG is not 48 x 48 RGBA: $(convert "$tmp/icon.png" -format '%w %h %[channels]' info:)"
    alpha=$(convert "$tmp/icon.png" -format '%[fx:int(255*p{0,0}.a)] %[fx:int(255*p{47,47}.a)]' info:)
    [[ $alpha == "0 0" ]] || fail "the corners are not transparent (alpha $alpha)"
    # Each band: a pixel near its colour (red, green, blue in 0..255, within 60 each way).
    pixels=$(convert "$tmp/icon.png" -depth 8 txt:- | sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\),255).*/\1 \2 \3/p')
    for band in "grass 45 145 40" "water 35 90 200" "dirt 120 80 35" "snow 235 235 245"; do
        read -r name r g b <<<"$band"
        awk -v r="$r" -v g="$g" -v b="$b" 'function d(x, y) { return x > y ? x - y : y - x }
            d($1, r) <= 60 && d($2, g) <= 60 && d($3, b) <= 60 { found = 1 }
            END { exit !found }' <<<"$pixels" || fail "no $name in the picture"
    done
fi

# The Windows icon: the PNG pictures of the sizes Explorer and the taskbar use, in one .ico.
"$icon" ico "$tmp/icon.ico" || fail "ico: status $?"
if command -v identify >/dev/null; then
    sizes=$(identify -format '%m %wx%h\n' "$tmp/icon.ico" 2>/dev/null | tr '\n' ' ')
    [[ $sizes == "PNG 16x16 PNG 24x24 PNG 32x32 PNG 48x48 PNG 64x64 PNG 256x256 " ]] ||
        fail "the icon file holds '$sizes'"
    # The largest picture is the 256 x 256 PNG itself, transparent in the corners.
    alpha=$(convert "$tmp/icon.ico[5]" -format '%[fx:int(255*p{0,0}.a)]' info: 2>/dev/null)
    [[ $alpha == 0 ]] || fail "the icon's 256 x 256 picture is not transparent in its corner"
fi

[[ $failures -eq 0 ]] && echo "SVG, PNG and ICO drawn as expected"
exit $((failures > 0))
