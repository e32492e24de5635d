#!/usr/bin/env bash
# The Windows build reads and prints numbers as the Linux build does: vantora-model-numbers,
# built for both, reads every model of the fuzzing corpus, of the bundled world and of the
# test worlds, and model files written here around single awkward tokens (ties and
# double-rounding traps of decimal-to-float conversion, overflow and underflow, subnormals,
# hex floats, infinities and NaNs in every spelling, half-formed numbers, integers out of
# range, unusual white space), all in one process; then it prints the maths the game turns and
# points with and the %f text of awkward numbers. The Linux driver runs with the Windows C
# library's rand (VANTORA_WINDOWS_LIKE), so the mesh identifiers agree; the Windows one runs
# under Wine. The two outputs must be the same bytes; on a difference the script names every
# model and every kind of maths line that differs, with the first lines of each.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"

need_windows_build
linux_tests=$(dirname "$VANTORA_BIN")/tests/windows
linux_driver=${VANTORA_MODEL_NUMBERS:-$linux_tests/vantora-model-numbers}
windows_like=${VANTORA_WINDOWS_LIKE:-$linux_tests/libvantora_windows_like.so}
windows_driver=$VANTORA_WINDOWS_BUILD/tests/windows/vantora-model-numbers.exe
[[ -x "$linux_driver" ]] || fail "no Linux vantora-model-numbers at $linux_driver"
[[ -f "$windows_like" ]] || fail "no preload at $windows_like (target vantora_windows_like)"
[[ -f "$windows_driver" ]] ||
    fail "no $windows_driver (cmake --build $VANTORA_WINDOWS_BUILD --target vantora-model-numbers)"
command -v wine >/dev/null || fail "missing tool: wine"

# --- The models ----------------------------------------------------------------------------
# Copied into one folder and named relative to it, so that both programs get the same names.
models=$E2E_TMP/models
mkdir -p "$models/corpus" "$models/world" "$models/data" "$models/tokens"
cp "$E2E_SOURCE"/fuzz/corpus/model/* "$models/corpus/"
for name in cube pyramid tree person; do
    cp "$E2E_SOURCE/world/$name.txt" "$models/world/"
done
while IFS= read -r file; do
    relative=${file#"$E2E_SOURCE/tests/data/"}
    cp "$file" "$models/data/${relative//\//-}"
done < <(find "$E2E_SOURCE/tests/data" -type f \
    \( -name cube.txt -o -name pyramid.txt -o -name tree.txt -o -name person.txt \) | LC_ALL=C sort)

# One file per token, so that a token the reader refuses ends only its own file. A real token
# stands where the first corner's x is, followed by more numbers, which show where the reader
# went on; an integer token stands for the face count or for the corner count.
real_tokens=(
    # Ties between two floats (to even), and the double-rounding trap: just above a tie, but
    # a double rounds it onto the tie.
    1.000000059604644775390625 1.0000000596046447753906249 1.0000000596046447753906251
    1.00000005960464477539062500000000000000000000000000000000001 0.1 0.30000001192092896
    # The top of float: FLT_MAX, the last below the tie to infinity, the tie, beyond.
    340282346638528859811704183484516925440 340282356779733661637539395458142568447
    340282356779733661637539395458142568448 3.4028235e38 3.4028236e38 1e39 -1e39 1e400
    1e99999999999999999999
    # The bottom: the tie between zero and the smallest subnormal, just above it, subnormals,
    # the tie between the largest subnormal and FLT_MIN, values that underflow to zero.
    7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-46
    7.0064923216240862e-46 1e-45 1.4e-45 -1.4e-45 1e-40 1e-46 -1e-46 1e-50 1e-400
    1e-99999999999999999999
    1.1754942807573642917278829910357665133228589927589904276829631184250030649651730385585324256680905818939208984375e-38
    1.17549435e-38
    # Exponent and digit forms.
    +2 -0 -0.0 +0 00001.5 .5 5. 1E5 1e+5 1e-5 1e0000000000000000000000038 1.5e+038
    0.000000000000000000000000000000000000000000001401298464324817070923729583289916131280
    123456789012345678901234567890123456789 "0.$(printf '3%.0s' {1..400})"
    "$(printf '1%.0s' {1..300}).5"
    # Hex floats, whole and half-formed.
    0x1p3 0X1P3 0x1p-149 0x1p-150 0x1.000001p0 0x1.0000011p0 0x1.fffffep127 0x1.ffffffp127
    0x.8p1 0x1.8 0x10 -0x1p-1 0x1p 0x1p+ 0x 0xg 0x.p1
    # Infinities and NaNs in every spelling.
    inf INF -inf +inf infinity Infinity -INFINITY infinit infx nan NaN -nan +nan nan\(\)
    nan\(123\) nan\(0x7ff\) nan\(abc_XYZ\) nan\(12 nan\(-1\) nanq NAN\(1\)
    # Half-formed and foreign numbers.
    . -. +-1 --1 1e 1e+ 1e- e5 1d5 '1,5' 1_0 0.5f 1e5x 12abc - +
)
int_tokens=(0 -1 +3 007 0x10 2147483647 2147483648 4294967296 4294967297 -2147483648
    -2147483649 99999999999 99999999999999999999999 -0 + - 1.9 1e3 128 255 256 32768 65537)

index=0
for token in "${real_tokens[@]}"; do
    index=$((index + 1))
    printf '1\n0.25 0.5 0.75\n2\n%s 2 3\n4 5 6\n' "$token" >"$models/tokens/real-$index.txt"
done
index=0
for token in "${int_tokens[@]}"; do
    index=$((index + 1))
    printf '%s\n1 0 0\n1\n7 8 9\n' "$token" >"$models/tokens/faces-$index.txt"
    printf '1\n1 0 0\n%s\n7 8 9\n1 2 3\n4 5 6\n' "$token" >"$models/tokens/corners-$index.txt"
done
# White space the reader must skip, or must not: form feed, vertical tab, a lone carriage
# return, a no-break space in UTF-8 and in Latin-1, and a NUL byte.
printf '1\f0.5\v0.5\r0.5\n1\n\t1 2 3\n' >"$models/tokens/space-controls.txt"
printf '1\n0.5 0.5 0.5\n1\n\xc2\xa01 2 3\n' >"$models/tokens/space-nbsp-utf8.txt"
printf '1\n0.5 0.5 0.5\n1\n\xa01 2 3\n' >"$models/tokens/space-nbsp-latin1.txt"
printf '1\n0.5 0.5 0.5\n1\n1\0 2 3\n' >"$models/tokens/space-nul.txt"

mapfile -t files < <(cd "$models" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)

# --- The two runs --------------------------------------------------------------------------
need_wine
note "${#files[@]} model files"
status=0
(cd "$models" && LD_PRELOAD=$windows_like timeout 60 "$linux_driver" "${files[@]}") \
    >"$E2E_TMP/linux.txt" 2>"$E2E_TMP/linux.err" || status=$?
[[ $status == 0 ]] || fail "the Linux driver ended with status $status: $(head -c 300 "$E2E_TMP/linux.err")"
(cd "$models" && timeout 120 wine "$windows_driver" "${files[@]}") \
    >"$E2E_TMP/windows.txt" 2>"$E2E_TMP/windows.err" || status=$?
[[ $status == 0 ]] ||
    fail "the Windows driver ended with status $status: $(head -c 300 "$E2E_TMP/windows.err")"
# The prefix (some 700 MB) is of no use to the comparison, nor kept for a failed one.
stop_wine
note "both drivers ran"

# --- Each output on its own ----------------------------------------------------------------
# Both read every file, to the end of their output, and drew the Windows C library's first
# number for the first mesh: rand() gives 41 there, and the identifier is the low 16 bits of
# its square, 1681. On Linux that proves the preload reached the driver.
for system in linux windows; do
    out=$E2E_TMP/$system.txt
    read_count=$(grep -c '^model ' "$out" || true)
    [[ $read_count == "${#files[@]}" ]] || fail "$system: read $read_count of ${#files[@]} model files"
    first_id=$(grep -m 1 '^created geometry with ID: ' "$out" || true)
    [[ $first_id == "created geometry with ID: 1681 - 1681" ]] ||
        fail "$system: the first mesh is '$first_id', not identifier 1681 from Windows' rand"
    [[ $(tail -n 1 "$out") == "%d -2147483648" ]] ||
        fail "$system: the output stops early, at '$(tail -n 1 "$out")'"
done

# --- The two outputs against each other ----------------------------------------------------
# Every line keyed by what it belongs to: the model file being read, else the kind of maths
# or printing line (its first word).
keyed()
{
    awk '/^model / { model = $2 }
         /^(acos|cos|sin|atan|left|right|mixed|%f|%d) / { model = ""; key = $1 }
         { print (model != "" ? model : key) "\t" $0 }' "$1"
}
if ! cmp -s "$E2E_TMP/linux.txt" "$E2E_TMP/windows.txt"; then
    keyed "$E2E_TMP/linux.txt" >"$E2E_TMP/linux.keyed"
    keyed "$E2E_TMP/windows.txt" >"$E2E_TMP/windows.keyed"
    {
        echo "--- what differs (< Linux, > Windows), by model file or kind of line:"
        { diff "$E2E_TMP/linux.keyed" "$E2E_TMP/windows.keyed" || true; } | grep '^[<>]' |
            awk -F '\t' '{ split($1, side, " "); key = side[2]; seen[key]++
                           if (seen[key] == 1) order[++keys] = key
                           if (seen[key] <= 4) first[key] = first[key] "    " side[1] " " $2 "\n" }
                         END { for (i = 1; i <= keys; i++)
                                   printf "  %s: %d lines\n%s", order[i], seen[order[i]],
                                          first[order[i]] }'
    } >&2
    fail "the Windows driver's output differs from the Linux driver's (both in $E2E_TMP)"
fi
note "passed: ${#files[@]} models, $(wc -l <"$E2E_TMP/linux.txt") lines the same"
