#!/usr/bin/env bash
# Writes what a build's map tools print and draw for a fixed set of worlds, so that two builds
# (before and after a change of the tools' inner workings) can be compared byte for byte with
# `diff -r` or `cmp`: for each world NAME, NAME.out (the report of `vantora-check` run in the
# world's folder, then its exit status) and NAME.png (its --picture); for the generated worlds
# also NAME.worldgen.png (vantora-worldgen's own --picture) and NAME.worldgen.out.
# The worlds: each of tests/data/checker (the bundled world with the folder's files over it),
# the bundled world, and generated 30 x 30, 200 x 300, 512 x 512 and 2048 x 2048 worlds.
#   scripts/checker-outputs.sh BUILD OUTDIR
# Then, for the random broken worlds, compare the two builds' records of
# tests/tools/broken_worlds_test.cpp (VANTORA_BROKEN_WORLDS=400 and _RECORD or _FILE).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: $0 BUILD OUTDIR}" && pwd)
out=${2:?usage: $0 BUILD OUTDIR}
check=$build/tools/checker/vantora-check
worldgen=$build/tools/worldgen/vantora-worldgen
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d /tmp/vantora-checker-outputs-XXXXXX)
trap 'rm -rf "$work"' EXIT

# One world: the report and status from inside its folder, and the picture.
record() {
    local name=$1 dir=$2 status=0
    (cd "$dir" && "$check" --picture "$out/$name.png" .) >"$out/$name.out" 2>&1 || status=$?
    echo "status $status" >>"$out/$name.out"
}

for folder in "$root"/tests/data/checker/*/; do
    name=checker-$(basename "$folder")
    dir=$work/$name
    cp -r "$root/world" "$dir"
    cp "$folder"/* "$dir"/
    if [[ -f $dir/absent ]]; then
        while read -r file; do rm -f "${dir:?}/$file"; done <"$dir/absent"
    fi
    rm -f "$dir/absent" "$dir/expected.txt"
    record "$name" "$dir"
done
cp -r "$root/world" "$work/bundled"
record bundled "$work/bundled"

for size in "30 30 1" "200 300 5" "512 512 3" "2048 2048 7"; do
    read -r rows cols seed <<<"$size"
    name=generated-${rows}x${cols}
    status=0
    (cd "$work" && "$worldgen" "$rows" "$cols" "$seed" "$name" \
        --picture "$out/$name.worldgen.png") >"$out/$name.worldgen.out" 2>&1 || status=$?
    echo "status $status" >>"$out/$name.worldgen.out"
    record "$name" "$work/$name"
done
echo "recorded $(find "$out" -name '*.out' | wc -l) outputs and $(find "$out" -name '*.png' | wc -l) pictures in $out"
