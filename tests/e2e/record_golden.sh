#!/usr/bin/env bash
# Records the golden start-up transcripts into tests/data/golden/ from a given game binary:
# every world of golden_worlds.sh, run with standard output fully buffered and line-buffered
# in a pipe; both runs must agree, byte for byte and in exit status, before anything is
# written. Record from a binary built from the code the transcripts are to pin (before a
# change), never from the build of the change itself; golden_test.sh then holds every later
# build to these bytes.
#   tests/e2e/record_golden.sh GAME [WORLDGEN]
# WORLDGEN (a vantora-worldgen) makes the generated worlds; by default the one beside GAME,
# else the one in a build folder's tools/worldgen/. It must write the bytes that the build's
# own generator writes: index.txt keeps a digest of every world to tell.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 || ! -x $1 ]]; then
    echo "usage: $0 GAME [WORLDGEN]   (GAME: the vantora binary to record from)" >&2
    exit 2
fi
VANTORA_BIN=$(realpath "$1")
worldgen=${2:-}
if [[ -z $worldgen ]]; then
    worldgen=$(dirname "$VANTORA_BIN")/vantora-worldgen
    [[ -x $worldgen ]] || worldgen=$(dirname "$VANTORA_BIN")/tools/worldgen/vantora-worldgen
fi
worldgen=$(realpath -m "$worldgen")
unset VANTORA_SOURCE_DIR # record into the tree that holds this script
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/golden_worlds.sh
source "$(dirname "$0")/golden_worlds.sh"
need_tools gzip sha256sum mkfifo cmp od
[[ -x $worldgen ]] || fail "no world generator at $worldgen (name it as WORLDGEN)"
start_xvfb
need_frozen_time

staged=$E2E_TMP/golden
mkdir -p "$staged" "$E2E_TMP/out"
{
    echo "# Golden start-up transcripts: <world> <exit status> <sha256 of the world's files>."
    echo "# Written by tests/e2e/record_golden.sh; checked by tests/e2e/golden_test.sh."
} >"$staged/index.txt"

mapfile -t worlds < <(golden_worlds)
for name in "${worlds[@]}"; do
    golden_make_world "$name" "$worldgen"
    out=$E2E_TMP/out/$name
    golden_run "$GOLDEN_WORLD" full "$out.full"
    full_status=$GOLDEN_STATUS
    golden_run "$GOLDEN_WORLD" line "$out.line"
    [[ $GOLDEN_STATUS == "$full_status" ]] ||
        fail "$name: exit status $full_status fully buffered, $GOLDEN_STATUS line-buffered"
    if ! cmp -s "$out.full" "$out.line"; then
        golden_show_difference "$out.full" "$out.line" >&2
        fail "$name: the fully buffered and the line-buffered output differ"
    fi
    gzip -n -9 -c "$out.full" >"$staged/$name.stdout.gz"
    echo "$name $full_status $(golden_digest "$GOLDEN_WORLD")" >>"$staged/index.txt"
    note "$name: status $full_status, $(wc -c <"$out.full") bytes"
done

mkdir -p "$GOLDEN_DIR"
rm -f "$GOLDEN_DIR"/*.stdout.gz "$GOLDEN_INDEX"
cp "$staged"/* "$GOLDEN_DIR/"
note "recorded ${#worlds[@]} worlds from $VANTORA_BIN into $GOLDEN_DIR"
