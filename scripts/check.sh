#!/usr/bin/env bash
# Runs every test: the pure ones, and the GL ones on a virtual display of their own
# (scripts/xvfb.sh). The end-to-end tests start Xvfb servers of their own.
#   scripts/check.sh [build-folder] [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
build=$(cd "${1:-build}" && pwd)
cd "$build"
trap xvfb_stop EXIT
xvfb_run -s 640x640 ctest --output-on-failure -j2 "${@:2}"
