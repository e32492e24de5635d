#!/usr/bin/env bash
# Starts the game in the bundled world with the build first on PATH (so that restart,
# which runs "vantora &", finds it). Without a display it plays on a virtual one
# (scripts/xvfb.sh) for a few seconds, saves a screenshot of the whole window and quits the
# game (scripts/game.sh starts it and finds its window).
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
# shellcheck source=scripts/game.sh
source "$root/scripts/game.sh"
shot="$build/play-screenshot.png"
trap 'game_stop_all; xvfb_stop' EXIT
xvfb_start 500x500 || exit 1

game_start "$root/world" "$build/play-output.txt" - vantora
if ! game_wait_window 10 || ! game_to_origin; then
  echo "$GAME_ERROR"; exit 1
fi
sleep 3
timeout 10 import -window "$GAME_WID" "$shot"
game_keys q || true
game_wait_exit 5 || true
echo "No display: played on a virtual one. Screenshot: $shot"
