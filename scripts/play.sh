#!/usr/bin/env bash
# Starts the game in the bundled world with the build first on PATH (so that restart,
# which runs "vantora &", finds it). Without a display it plays on a virtual one
# (scripts/xvfb.sh) for a few seconds, saves a screenshot of the window and quits the game.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
export PATH="$build:$PATH"
cd "$root/world"

if [[ -n "${DISPLAY:-}" ]]; then
  exec vantora
fi

# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
shot="$build/play-screenshot.png"
game_pid=""
cleanup() {
  if [[ -n "$game_pid" ]]; then
    kill "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
  fi
  xvfb_stop
}
trap cleanup EXIT
xvfb_start 500x500 || exit 1

vantora > "$build/play-output.txt" &
game_pid=$!
window=""
for _ in $(seq 100); do
  window=$(timeout 5 xdotool search --onlyvisible --name "GX 210 - HW 1" 2>/dev/null | head -n 1 || true)
  [[ -n "$window" ]] && break
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  echo "the game window did not appear"; exit 1
fi
sleep 3
timeout 10 import -window "$window" "$shot"
timeout 10 xdotool windowfocus --sync "$window" key q
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
echo "No display: played on a virtual one. Screenshot: $shot"
