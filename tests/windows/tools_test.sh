#!/usr/bin/env bash
# The Windows builds of vantora-check and vantora-worldgen, run under Wine, against the Linux
# builds of the same source: the same report lines, messages and exit status for every test
# world, the same picture bytes, the same world bytes for the same arguments, the models and
# textures found beside the program as in the zip, and folder and file names outside ASCII.
#
# Usage: tests/windows/tools_test.sh [LINUX_BUILD_DIR [WINDOWS_BUILD_DIR]] (defaults: the
# environment's VANTORA_LINUX_BUILD and VANTORA_WINDOWS_BUILD, else build/ and build-windows/)
# Needs wine (64-bit) and no display. Prints a line for each failure and a count at the end;
# the exit status is 1 when anything failed.

set -uo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/wine.sh
source "$source_dir/scripts/wine.sh"

linux_build=${1:-${VANTORA_LINUX_BUILD:-$source_dir/build}}
windows_build=${2:-${VANTORA_WINDOWS_BUILD:-$source_dir/build-windows}}
if [[ ! -f $windows_build/tools/checker/vantora-check.exe && -z ${VANTORA_REQUIRE_WINDOWS:-} ]]; then
    echo "no Windows build in $windows_build (make windows): skipped"
    exit 77
fi
linux_check=$(realpath "$linux_build/tools/checker/vantora-check")
linux_gen=$(realpath "$linux_build/tools/worldgen/vantora-worldgen")
windows_check=$(realpath "$windows_build/tools/checker/vantora-check.exe")
windows_gen=$(realpath "$windows_build/tools/worldgen/vantora-worldgen.exe")
for program in "$linux_check" "$linux_gen" "$windows_check" "$windows_gen"; do
    [[ -f $program ]] || { echo "missing $program" >&2; exit 2; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-windows-tools.XXXXXX")
cleanup()
{
    wine_stop
    rm -rf "$tmp"
}
trap cleanup EXIT
wine_start "$tmp/wine" || exit 1

# shellcheck source=tests/windows/tally.sh
source "$source_dir/tests/windows/tally.sh"

# The path of a Linux file as a Windows program under Wine names it: the Linux root is Z:.
windows_path()
{
    local path=${1//\//\\}
    echo "Z:$path"
}

# run NAME DIR PROGRAM ARGS...: runs PROGRAM in DIR, under Wine when it is an .exe, and keeps
# its standard output, standard error (CR LF read as LF: Windows writes it in text mode) and
# exit status as $tmp/runs/NAME.out, .err and .status.
run()
{
    local name=$1 dir=$2 program=$3
    shift 3
    mkdir -p "$tmp/runs"
    local out=$tmp/runs/$name
    if [[ $program == *.exe ]]; then
        (cd "$dir" && wine "$program" "$@") >"$out.out" 2>"$out.rawerr"
        echo $? >"$out.status"
        tr -d '\r' <"$out.rawerr" >"$out.err"
    else
        (cd "$dir" && "$program" "$@") >"$out.out" 2>"$out.err"
        echo $? >"$out.status"
    fi
}

# same_run WHAT A B: runs A and B printed the same bytes on both outputs and ended alike.
same_run()
{
    local what=$1 a=$tmp/runs/$2 b=$tmp/runs/$3 part ok=1
    for part in out err status; do
        if ! cmp -s "$a.$part" "$b.$part"; then
            fail "$what: $part differs ($(head -c 300 "$b.$part" | tr '\n' '|'))"
            ok=0
        fi
    done
    [[ $ok == 1 ]] && passed=$((passed + 1))
}

# same_file WHAT A B: both files exist and hold the same bytes.
same_file()
{
    if [[ -f $2 && -f $3 ]] && cmp -s "$2" "$3"; then
        passed=$((passed + 1))
    else
        fail "$1: $(basename "$2") and $(basename "$3") differ or are missing"
    fi
}

# replaced FILE FROM TO: FILE's text with every FROM replaced by TO (no pattern characters).
replaced()
{
    local text
    text=$(cat "$1"; echo .)
    text=${text%.}
    printf '%s' "${text//"$2"/"$3"}"
}

world_files=(terrain.txt objects.txt cube.txt pyramid.txt tree.txt person.txt
    water256_2.raw dirt.raw grass.raw snow.raw)
assets=(cube.txt pyramid.txt tree.txt person.txt water256_2.raw dirt.raw grass.raw snow.raw)

# make_world DIR [TEST]: the bundled world in DIR, with the test world's files written over
# it and the files of its `absent` list removed.
make_world()
{
    mkdir -p "$1"
    cp "$source_dir"/world/* "$1"/
    [[ $# -eq 2 ]] || return 0
    local name
    for name in "${world_files[@]}"; do
        [[ -f $2/$name ]] && cp "$2/$name" "$1/$name"
    done
    if [[ -f $2/absent ]]; then
        while read -r name; do [[ -n $name ]] && rm -f "$1/$name"; done <"$2/absent"
    fi
}

# --- The checker on the bundled world and every test world, from the world's folder. ---
worlds=("$tmp/worlds/bundled")
make_world "$tmp/worlds/bundled"
for test in "$source_dir"/tests/data/checker/*/; do
    name=$(basename "$test")
    make_world "$tmp/worlds/$name" "$test"
    worlds+=("$tmp/worlds/$name")
done
for world in "${worlds[@]}"; do
    name=$(basename "$world")
    run "check-$name-linux" "$world" "$linux_check" .
    run "check-$name-windows" "$world" "$windows_check" .
    same_run "vantora-check . in $name" "check-$name-linux" "check-$name-windows"
    # Both draw into the same relative path, so that any message names the picture alike.
    picture=$tmp/worlds/$name.png
    run "picture-$name-linux" "$world" "$linux_check" --picture ../"$name".png .
    [[ -f $picture ]] && mv "$picture" "$tmp/worlds/$name-linux.png"
    run "picture-$name-windows" "$world" "$windows_check" --picture ../"$name".png .
    same_run "vantora-check --picture in $name" "picture-$name-linux" "picture-$name-windows"
    if [[ -f $tmp/worlds/$name-linux.png || -f $picture ]]; then
        same_file "picture of $name" "$tmp/worlds/$name-linux.png" "$picture"
    fi
done
[[ -f $tmp/worlds/bundled-linux.png ]] || fail "the Linux checker drew no picture of the bundled world"

# Every finding of a kind, and the command line: help, version, bad options, no folder.
run all-linux "$tmp/worlds/objects-long-line" "$linux_check" --all .
run all-windows "$tmp/worlds/objects-long-line" "$windows_check" --all .
same_run "vantora-check --all" all-linux all-windows
cases=("--help" "--version" "--all=yes ." "--picture" "--picture a.png . ." "--fast ." "-x ." "no-such-folder")
for i in "${!cases[@]}"; do
    read -ra args <<<"${cases[$i]}"
    run "check-cli-$i-linux" "$tmp/worlds/bundled" "$linux_check" "${args[@]}"
    run "check-cli-$i-windows" "$tmp/worlds/bundled" "$windows_check" "${args[@]}"
    same_run "vantora-check ${cases[$i]}" "check-cli-$i-linux" "check-cli-$i-windows"
done

# --- The generator: the same world bytes for the same arguments. ---
# The Windows program as the zip has it, the world's models and textures beside it; the Linux
# program finds the copy the build stages beside it.
mkdir -p "$tmp/zip" "$tmp/gen-linux" "$tmp/gen-windows" "$tmp/alone"
cp "$windows_gen" "$tmp/zip/"
for name in "${assets[@]}"; do cp "$source_dir/world/$name" "$tmp/zip/"; done
zip_gen=$tmp/zip/vantora-worldgen.exe
gen_cases=("8 8 0 w1" "40 64 7 w2 --picture w2.png" "96 80 18446744073709551615 w3 --people-away 60"
    "120 130 12345 w4 --embed $source_dir/world")
for i in "${!gen_cases[@]}"; do
    read -ra args <<<"${gen_cases[$i]}"
    out=${args[3]}
    run "gen-$i-linux" "$tmp/gen-linux" "$linux_gen" "${args[@]}"
    run "gen-$i-windows" "$tmp/gen-windows" "$zip_gen" "${args[@]}"
    same_run "vantora-worldgen ${gen_cases[$i]}" "gen-$i-linux" "gen-$i-windows"
    for name in "${world_files[@]}"; do
        same_file "vantora-worldgen ${gen_cases[$i]}: $name" "$tmp/gen-linux/$out/$name" \
            "$tmp/gen-windows/$out/$name"
    done
    [[ $out != w2 ]] || same_file "vantora-worldgen picture" "$tmp/gen-linux/w2.png" \
        "$tmp/gen-windows/w2.png"
done
# A world already there is refused; --force writes over it, also with its own models and
# textures as the assets.
again=("8 8 1 w1" "8 8 1 w1 --force" "8 8 2 w1 --force --assets w1")
for i in "${!again[@]}"; do
    read -ra args <<<"${again[$i]}"
    run "gen-again-$i-linux" "$tmp/gen-linux" "$linux_gen" "${args[@]}"
    run "gen-again-$i-windows" "$tmp/gen-windows" "$zip_gen" "${args[@]}"
    same_run "vantora-worldgen ${again[$i]} over a world" "gen-again-$i-linux" \
        "gen-again-$i-windows"
    for name in "${world_files[@]}"; do
        same_file "vantora-worldgen ${again[$i]} over a world: $name" \
            "$tmp/gen-linux/w1/$name" "$tmp/gen-windows/w1/$name"
    done
done
gen_cli=("--help" "--version" "--force=yes 8 8 1 x" "8 8 1" "7 8 1 x" "8 8 -1 x" "--people-away" "8 8 1 x --embed")
for i in "${!gen_cli[@]}"; do
    read -ra args <<<"${gen_cli[$i]}"
    run "gen-cli-$i-linux" "$tmp/gen-linux" "$linux_gen" "${args[@]}"
    run "gen-cli-$i-windows" "$tmp/gen-windows" "$zip_gen" "${args[@]}"
    same_run "vantora-worldgen ${gen_cli[$i]}" "gen-cli-$i-linux" "gen-cli-$i-windows"
done
# Without the models and textures beside it the program says so, and writes nothing.
cp "$windows_gen" "$tmp/alone/"
run gen-alone "$tmp/alone" "$tmp/alone/vantora-worldgen.exe" 8 8 0 w
check "vantora-worldgen without its world's files fails" [ "$(cat "$tmp/runs/gen-alone.status")" = 1 ]
check "vantora-worldgen without its world's files names them" \
    grep -q "missing model or texture .*cube.txt" "$tmp/runs/gen-alone.err"
check "vantora-worldgen without its world's files writes nothing" [ ! -e "$tmp/alone/w" ]

# --- Names outside ASCII, as relative paths and in the Windows form. ---
jose=$tmp/Welt-José
make_world "$jose" "$source_dir/tests/data/checker/objects-shape"
jose_win=$(windows_path "$jose")
run jose-linux "$tmp" "$linux_check" --picture "$jose/Bild-ß-linux.png" "$jose"
run jose-windows "$tmp" "$windows_check" --picture "$jose_win\\Bild-ß.png" "$jose_win"
# The report names the folder as given: the Windows path in place of the Linux one.
replaced "$tmp/runs/jose-windows.out" "$jose_win" "$jose" >"$tmp/runs/jose-windows-named.out"
cp "$tmp/runs/jose-windows.err" "$tmp/runs/jose-windows-named.err"
cp "$tmp/runs/jose-windows.status" "$tmp/runs/jose-windows-named.status"
same_run "vantora-check --picture in a Windows path outside ASCII" jose-linux jose-windows-named
check "vantora-check reports findings in Welt-José" grep -q "objects.txt:" "$tmp/runs/jose-linux.out"
same_file "picture Bild-ß.png in Welt-José" "$jose/Bild-ß-linux.png" "$jose/Bild-ß.png"
# The same folder by a relative name, and with a separator at its end.
run jose-relative-linux "$tmp" "$linux_check" Welt-José
run jose-relative-windows "$tmp" "$windows_check" Welt-José
same_run "vantora-check Welt-José" jose-relative-linux jose-relative-windows
# The summary names the folder as given, each finding its file in the folder, the separator
# at the end left out.
run jose-slash-windows "$tmp" "$windows_check" "$jose_win\\"
replaced "$tmp/runs/jose-slash-windows.out" "checked $jose_win\\:" "checked $jose:" |
    replaced /dev/stdin "$jose_win/" "$jose/" >"$tmp/runs/jose-slash-named.out"
cp "$tmp/runs/jose-slash-windows.err" "$tmp/runs/jose-slash-named.err"
cp "$tmp/runs/jose-slash-windows.status" "$tmp/runs/jose-slash-named.status"
run jose-plain-linux "$tmp" "$linux_check" "$jose"
same_run "vantora-check with a Windows path ending in a separator" jose-plain-linux \
    jose-slash-named

# The generator: a new folder outside ASCII, its picture there, and a world to embed from one,
# with the program itself in a folder outside ASCII.
mkdir -p "$tmp/Spiel-Ørsted"
cp "$windows_gen" "$tmp/Spiel-Ørsted/"
for name in "${assets[@]}"; do cp "$source_dir/world/$name" "$tmp/Spiel-Ørsted/"; done
make_world "$tmp/Ürwelt"
new_win=$(windows_path "$tmp/gen-windows/Neue-Welt-Ünï")
run gen-utf8-linux "$tmp/gen-linux" "$linux_gen" 100 100 99 Neue-Welt-Ünï --embed "$tmp/Ürwelt" \
    --picture Neue-Welt-Ünï/Karte-ß.png
run gen-utf8-windows "$tmp/gen-windows" "$tmp/Spiel-Ørsted/vantora-worldgen.exe" 100 100 99 \
    "$new_win" --embed "$(windows_path "$tmp/Ürwelt")" --picture "$new_win\\Karte-ß.png"
replaced "$tmp/runs/gen-utf8-windows.out" "$new_win" Neue-Welt-Ünï >"$tmp/runs/gen-utf8-named.out"
cp "$tmp/runs/gen-utf8-windows.err" "$tmp/runs/gen-utf8-named.err"
cp "$tmp/runs/gen-utf8-windows.status" "$tmp/runs/gen-utf8-named.status"
same_run "vantora-worldgen into a Windows path outside ASCII" gen-utf8-linux gen-utf8-named
for name in "${world_files[@]}" Karte-ß.png; do
    same_file "vantora-worldgen into Neue-Welt-Ünï: $name" "$tmp/gen-linux/Neue-Welt-Ünï/$name" \
        "$tmp/gen-windows/Neue-Welt-Ünï/$name"
done

tally_end
