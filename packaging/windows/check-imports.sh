#!/usr/bin/env bash
# Fails when a Windows program imports a DLL outside the allowed list: a DLL that Windows does
# not ship (libgcc, libstdc++, libwinpthread, zlib, libpng, freeglut) would have to travel
# beside the program, and the zip has none.
#   check-imports.sh [--no-gl] ALLOWED-LIST PROGRAM.exe...
# With --no-gl the programs may not import OPENGL32.dll or GLU32.dll either: the map authors'
# tools draw nothing.
set -euo pipefail
no_gl=""
if [[ ${1:-} == --no-gl ]]; then
    no_gl=1
    shift
fi
list=$1
shift
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
allowed=$(sed -e 's/#.*//' -e 's/[[:space:]].*//' "$list" | grep -v '^$' | tr '[:upper:]' '[:lower:]')
[[ -z $no_gl ]] || allowed=$(grep -vx -e opengl32.dll -e glu32.dll <<<"$allowed")
status=0
for program in "$@"; do
    # A program that imports nothing at all was not read: every Windows program imports
    # KERNEL32.dll at least.
    imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p') || {
        echo "$objdump cannot read $program" >&2
        exit 1
    }
    [[ -n "$imports" ]] || {
        echo "$(basename "$program"): no DLL imports found; is it a Windows program?" >&2
        exit 1
    }
    while read -r dll; do
        grep -qxF "$(tr '[:upper:]' '[:lower:]' <<<"$dll")" <<<"$allowed" || {
            echo "$(basename "$program") imports $dll, which it may not import" \
                "(packaging/windows/system-dlls.txt)" >&2
            status=1
        }
    done <<<"$imports"
done
exit $status
