#!/usr/bin/env bash
# Packs the Windows programs into the zip a player downloads, and prints its SHA-256:
#   scripts/windows-zip.sh WINDOWS-BUILD-FOLDER
# leaves WINDOWS-BUILD-FOLDER/vantora-<version>-windows-x86_64.zip, holding one folder of that
# name with the three programs beside the bundled world's ten files (a double-click starts the
# game in its own folder), README.txt, the licence, and the licence texts of the libraries
# linked into the programs. The same commit gives the same bytes: fixed times and modes, a
# fixed order, no extra fields.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -eq 1 ]] || {
    echo "usage: $0 WINDOWS-BUILD-FOLDER" >&2
    exit 2
}
build=$(cd "$1" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n "$version" ]] || {
    echo "$0: $build is not a configured build folder" >&2
    exit 1
}
name=vantora-$version-windows-x86_64
stage=$build/zip
folder=$stage/$name
rm -rf "$stage"
mkdir -p "$folder/licenses"

# Text for Windows readers: CR LF line ends.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }

cp "$build/vantora.exe" "$build/tools/checker/vantora-check.exe" \
    "$build/tools/worldgen/vantora-worldgen.exe" "$folder/"
for file in terrain.txt objects.txt cube.txt pyramid.txt tree.txt person.txt \
    water256_2.raw dirt.raw grass.raw snow.raw; do
    cp "$root/world/$file" "$folder/$file"
done
sed "s/@VERSION@/$version/g" "$root/packaging/windows/README.txt" >"$stage/README.txt"
crlf "$stage/README.txt" "$folder/README.txt"
rm "$stage/README.txt"
crlf "$root/LICENSE" "$folder/LICENSE.txt"

# The licences of what static linking put into the programs: freeglut and libpng from the
# sources the build fetched, zlib and MinGW-w64's runtime (winpthreads, the C start-up code
# and its printf and scanf) from Debian's copyright files of those packages.
only() {
    local matches=("$@")
    [[ ${#matches[@]} -eq 1 && -e "${matches[0]}" ]] || {
        echo "$0: expected one file, found: ${matches[*]}" >&2
        exit 1
    }
    echo "${matches[0]}"
}
crlf "$(only "$build"/deps/src/freeglut-*/COPYING)" "$folder/licenses/freeglut.txt"
crlf "$(only "$build"/deps/src/libpng1.6-*/LICENSE)" "$folder/licenses/libpng.txt"
crlf /usr/share/doc/libz-mingw-w64-dev/copyright "$folder/licenses/zlib.txt"
crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$folder/licenses/mingw-w64-winpthreads.txt"

# The time of the commit (or of the newest source file outside git), in UTC.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}
[[ -n "$epoch" ]] || epoch=$(find "$root/world" "$root/packaging" -type f -printf '%T@\n' |
    sort -n | tail -n 1 | cut -d. -f1)
find "$folder" -type d -exec chmod 755 {} +
find "$folder" -type f -exec chmod 644 {} +
chmod 755 "$folder"/*.exe
find "$folder" -exec touch -h -d "@$epoch" {} +

zip=$build/$name.zip
rm -f "$zip"
(cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$zip" -@)
echo "$(sha256sum "$zip" | cut -d' ' -f1)  $name.zip"
