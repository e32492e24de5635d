#!/usr/bin/env bash
# Where vantora-worldgen takes its models and textures without --assets: an install laid out
# as CMake installs it (copied into a scratch root, as a package unpacks it) finds its own
# installed world; a program without one takes a world/ folder beside it, as the build stages
# it; with neither it fails and names the installed place. Never the source tree, which the
# scratch copies of the program are far from.
# Usage: worldgen_assets_test.sh VANTORA_WORLDGEN BINDIR WORLDDIR SOURCE_DIR
#   BINDIR, WORLDDIR  the install's absolute program and world folders
set -uo pipefail

[[ $# -eq 4 ]] || { echo "usage: $0 VANTORA_WORLDGEN BINDIR WORLDDIR SOURCE_DIR" >&2; exit 2; }
program=$1 bindir=$2 worlddir=$3 source=$4
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-assets.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A world folder whose tree model says where it came from.
make_assets() {
    mkdir -p "$1"
    cp "$source"/world/*.txt "$source"/world/*.raw "$1"/
    printf '0\n%s\n' "$2" >"$1/tree.txt"
}
# Runs the generator into a new folder; prints the tree model it copied, or its error.
generate() {
    local out=$tmp/out-$RANDOM$RANDOM
    if "$1" 8 8 1 "$out" >/dev/null 2>"$tmp/stderr"; then
        sed -n 2p "$out/tree.txt"
    else
        echo "status $?: $(cat "$tmp/stderr")"
    fi
}

root=$tmp/root
mkdir -p "$root$bindir"
cp "$program" "$root$bindir/vantora-worldgen"
installed=$root$bindir/vantora-worldgen

make_assets "$root$worlddir" installed
make_assets "$root$bindir/world" beside
got=$(generate "$installed")
[[ $got == installed ]] || fail "with both, it took '$got', not the installed world"

make_assets "$tmp/chosen" chosen
out=$tmp/out-chosen
"$installed" 8 8 1 "$out" --assets "$tmp/chosen" >/dev/null 2>&1
got=$(sed -n 2p "$out/tree.txt" 2>/dev/null)
[[ $got == chosen ]] || fail "--assets took '$got', not the folder named"

rm -rf "$root$worlddir"
got=$(generate "$installed")
[[ $got == beside ]] || fail "without an installed world it took '$got', not world/ beside it"

rm -rf "$root$bindir/world"
got=$(generate "$installed")
expected=$(cd / && realpath -m "$root$worlddir")/cube.txt
[[ $got == "status 1: "*"$expected"* ]] ||
    fail "with neither it should fail naming $expected; it gave: $got"

[[ $failures -eq 0 ]] && echo "installed world, --assets, world/ beside and neither: as expected"
exit $((failures > 0))
