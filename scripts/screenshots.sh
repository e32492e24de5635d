#!/usr/bin/env bash
# Makes the README pictures of the bundled world: from the real game under a private Xvfb,
# docs/default-view.png (the start-up view) and docs/filled-textured-lit.png (after "p", "t"
# and "k"); and from vantora-check, docs/world-picture.png (the map seen from above).
# Usage: scripts/screenshots.sh [build-folder]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [[ ! -x "$build/vantora" ]]; then
    echo "usage: scripts/screenshots.sh [build-folder]   (no vantora in $build)" >&2
    exit 1
fi
export VANTORA_BIN
VANTORA_BIN="$(cd "$build" && pwd)/vantora"
export VANTORA_SOURCE_DIR="$root"
# The end-to-end helpers: Xvfb, the game in a scratch copy of the world, keys, screenshots.
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
need_tools
start_xvfb
need_frozen_time

# Time frozen: the people stand where they stand in the tests, out of sight of the start.
world=$(copy_world "$root/world" world)
start_game_frozen "$world"
wait_window
wait_drawn
default=$(wait_shot_stable default-view 10)
filled=$(keys_then_settle "$default" filled 10000 p)
textured=$(keys_then_settle "$filled" textured 10000 t)
lit=$(keys_then_settle "$textured" filled-textured-lit 10000 k)
send_keys q
wait_exit 5

mkdir -p "$root/docs"
# Without the date chunks the files change only when the pictures do.
convert "$default" -define png:exclude-chunks=date,time "$root/docs/default-view.png"
convert "$lit" -define png:exclude-chunks=date,time "$root/docs/filled-textured-lit.png"
# The map authors' picture of the same world, as the checker draws it from the game's load.
checker="$build/tools/checker/vantora-check"
"$checker" --picture "$root/docs/world-picture.png" "$root/world" >/dev/null ||
    fail "vantora-check could not draw the bundled world"
echo "wrote docs/default-view.png, docs/filled-textured-lit.png and docs/world-picture.png"
