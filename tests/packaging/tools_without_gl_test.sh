#!/usr/bin/env bash
# The map authors' programs draw nothing: they load no GL, GLU or GLUT library, so that they
# run on a machine without a graphics stack. (They link the game's logic alone; a call into
# the drawing code fails their link.) A GL program given as the last argument must show the
# libraries, so that the test can tell a program that loads none from a look that sees none.
# Usage: tools_without_gl_test.sh VANTORA-CHECK VANTORA-WORLDGEN VANTORA
set -uo pipefail

[[ $# -eq 3 ]] || { echo "usage: $0 VANTORA-CHECK VANTORA-WORLDGEN VANTORA" >&2; exit 2; }
pattern='lib(GL|GLU|GLX|OpenGL|glut)\.so'
status=0
for tool in "$1" "$2"; do
    libraries=$(ldd "$tool") || { echo "FAIL: ldd cannot read $tool"; exit 1; }
    if grep -Eq "$pattern" <<<"$libraries"; then
        echo "FAIL: $(basename "$tool") loads $(grep -Eo "$pattern" <<<"$libraries" | sort -u | tr '\n' ' ')"
        status=1
    fi
done
game=$(ldd "$3") || { echo "FAIL: ldd cannot read $3"; exit 1; }
grep -Eq "$pattern" <<<"$game" || { echo "FAIL: the game itself shows no GL library to ldd"; status=1; }
[[ $status -eq 0 ]] && echo "the tools load no GL library"
exit $status
