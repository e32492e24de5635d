#!/usr/bin/env bash
# Starts the game in the bundled world with the build first on PATH (so that restart,
# which runs "vantora &", finds it). Without a display it plays on a virtual one for a few
# seconds, saves a screenshot of the window and quits the game.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
export PATH="$build:$PATH"
cd "$root/world"

if [[ -n "${DISPLAY:-}" ]]; then
  exec vantora
fi

shot="$build/play-screenshot.png"
display_number=$(( 90 + RANDOM % 100 ))
while [[ -e /tmp/.X11-unix/X$display_number || -e /tmp/.X$display_number-lock ]]; do
  display_number=$((display_number + 1))
done
Xvfb ":$display_number" -screen 0 500x500x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$display_number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

vantora > "$build/play-output.txt" &
game_pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "GX 210 - HW 1" 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "the game window did not appear"; kill "$game_pid" 2>/dev/null || true; exit 1
fi
sleep 3
import -window "$window" "$shot"
xdotool windowfocus --sync "$window" key q
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill "$game_pid" 2>/dev/null || true
wait "$game_pid" 2>/dev/null || true
echo "No display: played on a virtual one. Screenshot: $shot"
