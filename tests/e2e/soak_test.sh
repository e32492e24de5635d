#!/usr/bin/env bash
# Short soak of the real game: a few hundred random keys from its key table on a private
# Xvfb, then it still runs, its memory has settled and "q" ends it with status 0. The long
# soak (make check-long) runs the same script with thousands of keys.
set -euo pipefail
root=${VANTORA_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
# The script bounds each of its waits; this bounds the whole, warm-up and start-up included.
exec timeout --kill-after=10 120 "$root/scripts/soak.sh" "${SOAK_KEYS:-300}"
