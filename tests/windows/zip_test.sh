#!/usr/bin/env bash
# The zip a Windows player downloads (make windows): exactly the expected files in one folder,
# the bundled world byte for byte, the texts in CR LF, programs that need no DLL beyond
# Windows' own and carry their icon and version, and the same bytes when it is made again.
#
# Environment: VANTORA_SOURCE_DIR (the source tree; default two folders up),
# VANTORA_WINDOWS_BUILD (the Windows build folder; default build-windows/ of the source tree),
# VANTORA_REQUIRE_WINDOWS (set: a missing zip fails instead of skipping).
# Needs unzip and MinGW-w64's objdump; no Wine, no display. Prints a line for each failure
# and a count at the end. Exit status: 0 passed, 1 failed, 77 skipped (no zip).

set -uo pipefail

source_dir=${VANTORA_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
build=${VANTORA_WINDOWS_BUILD:-$source_dir/build-windows}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# Ends the run without testing anything: skipped, or failed where the Windows build is required.
unavailable()
{
    if [[ -n ${VANTORA_REQUIRE_WINDOWS:-} ]]; then
        echo "FAIL: $*"
        exit 1
    fi
    echo "skipped: $*"
    exit 77
}

# The version comes from project(), not from the build, so a zip of an older version is stale.
version=$(sed -n '/^project(vantora/,/)/s/^[[:space:]]*VERSION[[:space:]]\+\([0-9.]\+\).*/\1/p' \
    "$source_dir/CMakeLists.txt")
[[ -n $version ]] || { echo "no version in project() of $source_dir/CMakeLists.txt" >&2; exit 2; }
name=vantora-$version-windows-x86_64
zip=$build/$name.zip
[[ -f $zip ]] || unavailable "no $zip (make windows makes it)"
for tool in unzip "$objdump" sha256sum; do
    command -v "$tool" >/dev/null || unavailable "$tool is not installed"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantora-windows-zip.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# shellcheck source=tests/windows/tally.sh
source "$source_dir/tests/windows/tally.sh"
# fails COMMAND...: succeeds when the command fails (its complaints are not shown).
fails() { ! "$@" 2>/dev/null; }

world_files=(terrain.txt objects.txt cube.txt pyramid.txt tree.txt person.txt
    water256_2.raw dirt.raw grass.raw snow.raw)
programs=(vantora.exe vantora-check.exe vantora-worldgen.exe)
licences=(freeglut.txt libpng.txt mingw-w64-winpthreads.txt zlib.txt)

# --- The archive: intact, and exactly these entries in byte order (no folder entries). ---
check "the zip is damaged (unzip -t)" unzip -tqq "$zip"
{
    for file in "${programs[@]}" "${world_files[@]}" README.txt LICENSE.txt; do
        echo "$name/$file"
    done
    for file in "${licences[@]}"; do echo "$name/licenses/$file"; done
} | LC_ALL=C sort >"$tmp/expected-names"
unzip -Z1 "$zip" >"$tmp/names" 2>&1
LC_ALL=C sort "$tmp/names" >"$tmp/sorted-names"
check "the zip's entries differ from the expected ones (< expected, > zip):
$(diff "$tmp/expected-names" "$tmp/sorted-names")" cmp -s "$tmp/expected-names" "$tmp/sorted-names"
check "the zip's entries are not in byte order" cmp -s "$tmp/sorted-names" "$tmp/names"

mkdir "$tmp/x"
unzip -qq "$zip" -d "$tmp/x" || { fail "cannot extract the zip"; tally_end; exit 1; }
folder=$tmp/x/$name

# --- The world: the bundled one, byte for byte. ---
for file in "${world_files[@]}"; do
    check "$file differs from world/$file" cmp -s "$source_dir/world/$file" "$folder/$file"
done

# --- The texts: CR LF on every line, the last one included; README.txt plain ASCII. ---
# crlf_only FILE: not empty, every line ends in CR LF, and no CR stands anywhere else.
crlf_only()
{
    [[ -s $1 && $(tail -c 2 "$1" | od -An -tx1 | tr -d ' ') == 0d0a ]] || return 1
    ! LC_ALL=C grep -q $'\r.\|[^\r]$\|^$' "$1"
}
for file in README.txt LICENSE.txt "${licences[@]/#/licenses/}"; do
    check "$file has a line that does not end in CR LF" crlf_only "$folder/$file"
done
# The same texts as the tree's, with the version filled in and CR added before each LF.
sed "s/@VERSION@/$version/g; s/\r\?\$/\r/" "$source_dir/packaging/windows/README.txt" \
    >"$tmp/README.txt"
check "README.txt is not packaging/windows/README.txt with the version and CR LF" \
    cmp -s "$tmp/README.txt" "$folder/README.txt"
check "README.txt does not name version $version" grep -qF "vantora $version" "$folder/README.txt"
check "README.txt has bytes outside ASCII (old Notepad would show them wrongly)" \
    fails env LC_ALL=C grep -q '[^[:print:][:space:]]' "$folder/README.txt"
sed 's/\r\?$/\r/' "$source_dir/LICENSE" >"$tmp/LICENSE.txt"
check "LICENSE.txt is not LICENSE with CR LF" cmp -s "$tmp/LICENSE.txt" "$folder/LICENSE.txt"
# Each licence text is the one of the library its file is named after.
declare -A licence_marks=(
    [freeglut.txt]="Freeglut Copyright"
    [libpng.txt]="PNG Reference Library"
    [zlib.txt]="Jean-loup Gailly"
    [mingw-w64-winpthreads.txt]="winpthreads"
)
for file in "${licences[@]}"; do
    check "licenses/$file does not mention '${licence_marks[$file]}'" \
        grep -qF "${licence_marks[$file]}" "$folder/licenses/$file"
done

# --- The programs. ---
# utf16 TEXT: a grep -P pattern of TEXT in UTF-16LE, as Windows resources store strings.
utf16()
{
    local text=$1 pattern="" i c
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [[ $c == [A-Za-z0-9] ]] || c="\\$c"
        pattern+="$c\\x00"
    done
    printf '%s' "$pattern"
}
# has_version_string PROGRAM KEY VALUE: the version resource's string table holds KEY = VALUE
# (the key's closing NUL, at most one NUL of padding to a 4-byte boundary, the value's NUL).
has_version_string()
{
    LC_ALL=C grep -qaP "$(utf16 "$2")\\x00\\x00(?:\\x00\\x00)?$(utf16 "$3")\\x00\\x00" "$1"
}
# resource_types PROGRAM: the resource types at the top of the resource directory, as
# "ID:0x000003" lines, and "NAME:<type>:<name>" for each named resource under its type.
resource_types()
{
    "$objdump" -p "$1" | awk '
        /^The .rsrc Resource Directory section:/ { on = 1; next }
        on && /^$/ { on = 0 }
        on && /^[0-9a-f]+   Entry: ID: / { type = $4; sub(",", "", type); print "ID:" type }
        on && /^[0-9a-f]+     Entry: name: / {
            name = $0; sub(/.*\]: /, "", name); sub(/, Value:.*/, "", name)
            print "NAME:" type ":" name
        }'
}

allowed=$source_dir/packaging/windows/system-dlls.txt
for program in "${programs[@]}"; do
    exe=$folder/$program
    case $program in
    vantora.exe) built=$build/vantora.exe ;;
    vantora-check.exe) built=$build/tools/checker/vantora-check.exe ;;
    vantora-worldgen.exe) built=$build/tools/worldgen/vantora-worldgen.exe ;;
    esac
    check "$program is not the build's $built (the zip is stale: make windows)" \
        cmp -s "$built" "$exe"

    "$objdump" -p "$exe" >"$tmp/headers" 2>&1 || fail "$objdump cannot read $program"
    check "$program is not a 64-bit x86 Windows program" \
        grep -q 'file format pei-x86-64' "$tmp/headers"
    # A console program: its lines show in Command Prompt, and a double-click opens a console.
    check "$program is not a console program" \
        grep -qE '^Subsystem[[:space:]]+0+3[[:space:]]+\(Windows CUI\)' "$tmp/headers"

    # The imports: only system DLLs. The check must see the imports at all (a program without
    # KERNEL32.dll does not exist), and must refuse one that the list leaves out.
    check "$program: check-imports.sh finds a DLL outside system-dlls.txt" \
        bash "$source_dir/packaging/windows/check-imports.sh" "$allowed" "$exe"
    check "$program imports no KERNEL32.dll, or objdump lists no imports" \
        grep -qix $'\tDLL Name: KERNEL32.dll' "$tmp/headers"
    grep -vi '^KERNEL32\.dll' "$allowed" >"$tmp/without-kernel32.txt"
    check "check-imports.sh accepts $program's KERNEL32.dll, which its list leaves out" \
        fails bash "$source_dir/packaging/windows/check-imports.sh" "$tmp/without-kernel32.txt" "$exe"

    # The resources: icons, the group icon freeglut looks for by name (GLUT_ICON: the window
    # and Explorer show it), the version Explorer shows, the manifest.
    resource_types "$exe" >"$tmp/resources"
    for type in 0x000003:icon 0x00000e:group-icon 0x000010:version 0x000018:manifest; do
        check "$program has no $(cut -d: -f2 <<<"$type") resource" \
            grep -qx "ID:${type%:*}" "$tmp/resources"
    done
    check "$program has no group icon named GLUT_ICON" \
        grep -qx "NAME:0x00000e:GLUT_ICON" "$tmp/resources"
    for key in FileVersion ProductVersion; do
        check "$program's version resource has no $key $version" \
            has_version_string "$exe" "$key" "$version"
    done
    check "$program's version resource names another file as OriginalFilename" \
        has_version_string "$exe" OriginalFilename "$program"
done

# --- Reproducible: the zip script, run twice more on copies of what it packs, with other file
# times, umask and time zone, makes the very same bytes and prints their SHA-256. ---
original=$(sha256sum "$zip" | cut -d' ' -f1)
copy_inputs()
{
    local to=$1 file
    mkdir -p "$to/tools/checker" "$to/tools/worldgen" || return 1
    cp "$build/CMakeCache.txt" "$build/vantora.exe" "$to/" &&
        cp "$build/tools/checker/vantora-check.exe" "$to/tools/checker/" &&
        cp "$build/tools/worldgen/vantora-worldgen.exe" "$to/tools/worldgen/" || return 1
    for file in "$build"/deps/src/*/COPYING "$build"/deps/src/*/LICENSE; do
        [[ -f $file ]] || continue
        mkdir -p "$(dirname "$to/${file#"$build"/}")" && cp "$file" "$to/${file#"$build"/}" ||
            return 1
    done
}
for run in 1 2; do
    again=$tmp/again$run
    if ! copy_inputs "$again"; then
        fail "cannot copy the zip's inputs from $build"
        continue
    fi
    if [[ $run == 2 ]]; then
        sleep 2.1 # past the 2-second step of a zip entry's time
        find "$again" -exec touch {} +
        (umask 077 && TZ=Pacific/Kiritimati bash "$source_dir/scripts/windows-zip.sh" "$again") \
            >"$tmp/printed$run" 2>&1
    else
        bash "$source_dir/scripts/windows-zip.sh" "$again" >"$tmp/printed$run" 2>&1
    fi
    status=$?
    if [[ $status -ne 0 || ! -f $again/$name.zip ]]; then
        fail "windows-zip.sh run $run failed (status $status): $(cat "$tmp/printed$run")"
        continue
    fi
    sum=$(sha256sum "$again/$name.zip" | cut -d' ' -f1)
    check "windows-zip.sh run $run printed '$(cat "$tmp/printed$run")', not '$sum  $name.zip'" \
        [ "$(cat "$tmp/printed$run")" == "$sum  $name.zip" ]
    check "windows-zip.sh run $run made $sum, the build's zip is $original (stale zip, or not reproducible)" \
        [ "$sum" == "$original" ]
done

tally_end
