#!/usr/bin/env bash
# Checks what a player installs: the manual page renders cleanly, `cmake --install` and the
# Debian package from CPack hold the programs, the world, the desktop entry and the manual
# page, the installed checker passes the installed (and a generated) world, and the game
# installed from the package starts from its world under its own Xvfb and quits on "q".
# Usage: scripts/check-package.sh [build-folder]   (the build must be complete)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS
work=$(mktemp -d "${TMPDIR:-/tmp}/vantora-package-XXXXXX")
xvfb_pid=""
game_pid=""
cleanup() {
  [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "check-package: $*" >&2; exit 1; }
step() { echo "check-package: $*"; }

world_files=(terrain.txt objects.txt cube.txt pyramid.txt tree.txt person.txt
             water256_2.raw dirt.raw grass.raw snow.raw)
programs=(vantora vantora-check)
[[ -f "$root/tools/worldgen/CMakeLists.txt" ]] && programs+=(vantora-worldgen)

# Every file a player gets, under an installation prefix.
check_tree() {
  local prefix=$1 shown=$2
  for p in "${programs[@]}"; do
    [[ -x "$prefix/bin/$p" ]] || fail "$shown/bin/$p is missing"
  done
  for f in "${world_files[@]}"; do
    [[ -f "$prefix/share/vantora/world/$f" ]] || fail "$shown/share/vantora/world/$f is missing"
  done
  [[ -f "$prefix/share/man/man6/vantora.6" ]] || fail "$shown/share/man/man6/vantora.6 is missing"
  local desktop="$prefix/share/applications/vantora.desktop"
  [[ -f "$desktop" ]] || fail "$shown/share/applications/vantora.desktop is missing"
  grep -qx "Exec=$shown/bin/vantora" "$desktop" || fail "the desktop entry runs no $shown/bin/vantora"
  grep -qx "Path=$shown/share/vantora/world" "$desktop" ||
    fail "the desktop entry does not start in $shown/share/vantora/world"
}

step "manual page"
warnings=$(groff -t -man -Tutf8 -ww -z "$root/packaging/vantora.6" 2>&1)
[[ -z "$warnings" ]] || fail "groff warns about vantora.6: $warnings"
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$root/packaging/vantora.6" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "man warns about vantora.6: $warnings"
fi
if command -v desktop-file-validate >/dev/null; then
  sed 's|@VANTORA_BIN_DIR@|/usr/bin|; s|@VANTORA_WORLD_DIR@|/usr/share/vantora/world|' \
    "$root/packaging/vantora.desktop" > "$work/vantora.desktop"
  desktop-file-validate "$work/vantora.desktop" || fail "the desktop entry does not validate"
fi

step "cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$work/prefix" > "$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
check_tree "$work/prefix" "$work/prefix"

step "Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" > "$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/deb/vantora_*.deb)
[[ -f "${debs[0]}" ]] || fail "cpack made no vantora_*.deb"
deb=${debs[0]}
dpkg-deb --field "$deb" Package Section > "$work/fields"
grep -qx "Package: vantora" "$work/fields" || fail "the package is not named vantora"
grep -qx "Section: games" "$work/fields" || fail "the package is not in section games"
# freeglut, GLU, GL and Mesa's drivers, each by its package name.
depends=$(dpkg-deb --field "$deb" Depends)
names=" $(echo "$depends" | sed 's/([^)]*)//g; s/[,|]/ /g' | tr -s ' ') "
for needed in "libglut3.12 freeglut3" "libglu1-mesa libglu1" "libgl1" "libgl1-mesa-dri"; do
  found=""
  for name in $needed; do [[ "$names" == *" $name "* ]] && found=$name; done
  [[ -n "$found" ]] || fail "the package depends on none of: $needed ($depends)"
done
dpkg -x "$deb" "$work/root"
check_tree "$work/root/usr" /usr
installed=$work/root/usr

step "installed checker on the installed world"
"$installed/bin/vantora-check" "$installed/share/vantora/world" > "$work/check.txt" ||
  { cat "$work/check.txt"; fail "vantora-check finds errors or warnings in the installed world"; }
if [[ -x "$installed/bin/vantora-worldgen" ]]; then
  step "installed checker on a generated world"
  "$installed/bin/vantora-worldgen" 40 60 11 "$work/generated" \
    --assets "$installed/share/vantora/world" > /dev/null
  "$installed/bin/vantora-check" "$work/generated" > "$work/check.txt" ||
    { cat "$work/check.txt"; fail "vantora-check finds errors or warnings in a generated world"; }
fi

step "installed game under Xvfb"
# A display number that no server holds; the loop gives up after a hundred tries.
display=""
for _ in $(seq 100); do
  n=$(( 100 + RANDOM % 400 ))
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 640x640x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    DISPLAY=":$n" xdpyinfo > /dev/null 2>&1 && { display=":$n"; break; }
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [[ -n "$display" ]] && break
  kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[[ -n "$display" ]] || fail "no Xvfb display could be started"

cd "$installed/share/vantora/world"
DISPLAY=$display PATH="$installed/bin:$PATH" "$installed/bin/vantora" > "$work/game.txt" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --name "GX 210 - HW 1" 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
[[ -n "$window" ]] || { cat "$work/game.txt"; fail "the game window did not appear"; }
sleep 1
DISPLAY=$display xdotool windowfocus --sync "$window" key q
status=""
for _ in $(seq 100); do
  if ! kill -0 "$game_pid" 2>/dev/null; then
    wait "$game_pid" && status=0 || status=$?
    break
  fi
  sleep 0.1
done
[[ -n "$status" ]] || fail "the game did not end within 10 seconds of 'q'"
game_pid=""
[[ "$status" == 0 ]] || { cat "$work/game.txt"; fail "the game ended with status $status"; }
grep -q -- " - player start$" "$work/game.txt" ||
  { cat "$work/game.txt"; fail "the game did not load the installed world"; }

step "passed in $(( SECONDS - started )) s: $(basename "$deb")"
