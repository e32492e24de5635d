#!/usr/bin/env bash
# Runs every test: the pure ones, and the GL ones on a virtual display. The end-to-end
# tests start Xvfb servers of their own.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cd "$build"
xvfb-run -a -s "-screen 0 640x640x24" ctest --output-on-failure -j2 "${@:2}"
