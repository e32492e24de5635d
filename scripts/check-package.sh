#!/usr/bin/env bash
# Checks what a player installs. `cmake --install` of the build puts the programs, the world,
# the menu entry, the metadata, the icon and the manual pages under any prefix, naming that
# prefix. The Debian package, built the Debian way (packaging/build-deb.sh, with its source
# package), passes lintian without an error or a warning; unpacked, it holds the game in
# /usr/games, its world in /usr/share/games/vantora/world, the tools in /usr/bin and compressed
# manual pages that render without warnings; its menu entry and metadata validate; its checker
# passes its world and a world its generator writes without being told where the models are;
# no program names a path into the source or build folders; and its game starts from its
# world under Xvfb and quits on "q". The tree is left as it was found.
# Usage: scripts/check-package.sh [build-folder]   (the build must be complete)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS
work=$(mktemp -d "${TMPDIR:-/tmp}/vantora-package-XXXXXX")
# shellcheck source=scripts/xvfb.sh
source "$root/scripts/xvfb.sh"
# shellcheck source=scripts/game.sh
source "$root/scripts/game.sh"
trap 'game_stop_all; xvfb_stop; rm -rf "$work"' EXIT

fail() { echo "check-package: $*" >&2; exit 1; }
step() { echo "check-package: $*"; }

app_id=invalid.vantora.Vantora
world_files=(terrain.txt objects.txt cube.txt pyramid.txt tree.txt person.txt
             water256_2.raw dirt.raw grass.raw snow.raw)
tree_state() { git -C "$root" status --porcelain --untracked-files=all 2>/dev/null || true; }
tree_before=$(tree_state)

# Every file a player gets, under DEST (the root a package unpacks into, or nothing): the game
# in GAMEDIR, the tools in PREFIX/bin, the world in WORLDDIR, the rest in PREFIX/share (all as
# installed); the manual pages end in SUFFIX.
check_tree() {
    local dest=$1 prefix=$2 gamedir=$3 worlddir=$4 suffix=$5 p f
    local bindir=$prefix/bin share=$dest$prefix/share
    [[ -x "$dest$gamedir/vantora" ]] || fail "$gamedir/vantora is missing"
    for p in vantora-check vantora-worldgen; do
        [[ -x "$dest$bindir/$p" ]] || fail "$bindir/$p is missing"
    done
    for f in "${world_files[@]}"; do
        [[ -f "$dest$worlddir/$f" ]] || fail "$worlddir/$f is missing"
    done
    for f in man6/vantora.6 man1/vantora-check.1 man1/vantora-worldgen.1; do
        [[ -f "$share/man/$f$suffix" ]] || fail "share/man/$f$suffix is missing"
    done
    local desktop=$share/applications/$app_id.desktop
    [[ -f "$desktop" ]] || fail "share/applications/$app_id.desktop is missing"
    grep -qx "Exec=$gamedir/vantora" "$desktop" || fail "the menu entry runs no $gamedir/vantora"
    grep -qx "Path=$worlddir" "$desktop" || fail "the menu entry does not start in $worlddir"
    grep -qx "Icon=$app_id" "$desktop" || fail "the menu entry names no icon $app_id"
    [[ -f "$share/icons/hicolor/scalable/apps/$app_id.svg" ]] || fail "the scalable icon is missing"
    for f in 16 32 48 256; do
        [[ -f "$share/icons/hicolor/${f}x$f/apps/$app_id.png" ]] || fail "the ${f}x$f icon is missing"
    done
    [[ -f "$share/metainfo/$app_id.metainfo.xml" ]] || fail "the AppStream metadata is missing"
}

# The checker passes the world; the generator writes one, finding the models and textures of
# the installed world by itself, and the checker passes that too.
check_tools() {
    local bindir=$1 worlddir=$2 out=$3
    "$bindir/vantora-check" "$worlddir" >"$work/check.txt" ||
        { cat "$work/check.txt"; fail "vantora-check finds errors or warnings in $worlddir"; }
    "$bindir/vantora-worldgen" 40 60 11 "$out" >"$work/worldgen.txt" 2>&1 ||
        { cat "$work/worldgen.txt"; fail "$bindir/vantora-worldgen without --assets failed"; }
    cmp -s "$worlddir/tree.txt" "$out/tree.txt" || fail "the generated world's models are not the installed ones"
    "$bindir/vantora-check" "$out" >"$work/check.txt" ||
        { cat "$work/check.txt"; fail "vantora-check finds errors or warnings in a generated world"; }
}

step "cmake --install into a temporary prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log"; fail "cmake --install failed"; }
# The default layout; a build configured with other VANTORA_INSTALL_* folders is not checked.
if [[ -x "$prefix/bin/vantora" ]]; then
    check_tree "" "$prefix" "$prefix/bin" "$prefix/share/vantora/world" ""
    check_tools "$prefix/bin" "$prefix/share/vantora/world" "$work/generated-prefix"
else
    step "(not the default layout: skipped)"
fi

step "Debian package and source package (dpkg-buildpackage; under a minute)"
JOBS=${JOBS:-2} "$root/packaging/build-deb.sh" "$work/deb" --build=full >"$work/deb.log" 2>&1 ||
    { tail -n 40 "$work/deb.log"; fail "the package build failed (log above)"; }
debs=("$work"/deb/vantora_*.deb)
deb=${debs[0]}
[[ -f "$deb" ]] || fail "the build made no vantora_*.deb"
ls "$work"/deb/vantora-dbgsym_*.deb >/dev/null 2>&1 || fail "the build made no -dbgsym package"
changes=$(ls "$work"/deb/vantora_*.changes)

step "lintian"
# At its default level; "running with root privileges is not recommended" is not a finding.
lintian "$changes" 2>/dev/null | tee "$work/lintian.txt"
if grep -q '^[EW]: ' "$work/lintian.txt"; then
    fail "lintian reports errors or warnings"
fi

step "package contents"
dpkg-deb --field "$deb" Package Section >"$work/fields"
grep -qx "Package: vantora" "$work/fields" || fail "the package is not named vantora"
grep -qx "Section: games" "$work/fields" || fail "the package is not in section games"
depends=$(dpkg-deb --field "$deb" Depends)
names=" $(echo "$depends" | sed 's/([^)]*)//g; s/[,|]/ /g' | tr -s ' ') "
for needed in "libglut3.12 freeglut3" "libglu1-mesa libglu1" "libopengl0 libgl1" "libgl1-mesa-dri"; do
    found=""
    for name in $needed; do [[ "$names" == *" $name "* ]] && found=$name; done
    [[ -n "$found" ]] || fail "the package depends on none of: $needed ($depends)"
done
dpkg -c "$deb" | awk '{ print $6 }' >"$work/contents"
for path in ./usr/games/vantora ./usr/share/games/vantora/world/ ./usr/bin/vantora-check \
    ./usr/bin/vantora-worldgen ./usr/share/man/man6/vantora.6.gz \
    ./usr/share/man/man1/vantora-check.1.gz ./usr/share/man/man1/vantora-worldgen.1.gz \
    ./usr/share/doc/vantora/copyright; do
    grep -qxF "$path" "$work/contents" || fail "the package holds no $path"
done
dest=$work/root
dpkg -x "$deb" "$dest"
check_tree "$dest" /usr /usr/games /usr/share/games/vantora/world .gz

step "manual pages, menu entry, metadata"
for page in man6/vantora.6.gz man1/vantora-check.1.gz man1/vantora-worldgen.1.gz; do
    warnings=$(zcat "$dest/usr/share/man/$page" | groff -t -man -Tutf8 -ww -z 2>&1)
    [[ -z "$warnings" ]] || fail "groff warns about $page: $warnings"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$dest/usr/share/man/$page" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "man warns about $page: $warnings"
done
desktop-file-validate "$dest/usr/share/applications/$app_id.desktop" ||
    fail "the menu entry does not validate"
appstreamcli validate --no-net "$dest/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the AppStream metadata does not validate"

step "installed tools on the installed world"
check_tools "$dest/usr/bin" "$dest/usr/share/games/vantora/world" "$work/generated"

step "no path into the source or build folders in the programs"
for program in "$dest/usr/games/vantora" "$dest/usr/bin/vantora-check" "$dest/usr/bin/vantora-worldgen"; do
    for folder in "$root" "$build" "$work"; do
        if strings -a "$program" | grep -F "$folder" >"$work/paths"; then
            fail "${program#"$dest"} names $(head -n 1 "$work/paths")"
        fi
    done
done

step "installed game under Xvfb"
xvfb_start || fail "no Xvfb display could be started"
game_start "$dest/usr/share/games/vantora/world" "$work/game.txt" "$work/game-errors.txt" \
    env PATH="$dest/usr/games:$PATH" "$dest/usr/games/vantora"
game_wait_window 10 || { cat "$work/game.txt" "$work/game-errors.txt"; fail "$GAME_ERROR"; }
sleep 1
game_keys q || fail "$GAME_ERROR"
game_wait_exit 10 || fail "$GAME_ERROR ('q')"
[[ "$GAME_STATUS" == 0 ]] ||
    { cat "$work/game.txt" "$work/game-errors.txt"; fail "the game ended with status $GAME_STATUS"; }
grep -q -- " - player start$" "$work/game.txt" ||
    { cat "$work/game.txt"; fail "the game did not load the installed world"; }

[[ "$(tree_state)" == "$tree_before" ]] || fail "the checks left files in the source tree"
step "passed in $(( SECONDS - started )) s: $(basename "$deb")"
