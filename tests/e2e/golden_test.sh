#!/usr/bin/env bash
# End to end: the game's whole start-up output and exit status in every world of
# golden_worlds.sh are those recorded in tests/data/golden/ (by record_golden.sh, from the
# game before any later change), byte for byte, with standard output fully buffered in a pipe
# and line-buffered (stdbuf -oL) in a pipe. Checks every world, then names each world and
# mode that differ and shows where the bytes part.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tests/e2e/golden_worlds.sh
source "$(dirname "$0")/golden_worlds.sh"
need_tools gzip sha256sum mkfifo cmp od
worldgen=$(dirname "$VANTORA_BIN")/tools/worldgen/vantora-worldgen
[[ -x "$worldgen" ]] || fail "no world generator at $worldgen"
[[ -f "$GOLDEN_INDEX" ]] || fail "no $GOLDEN_INDEX: record with tests/e2e/record_golden.sh"
start_xvfb
need_frozen_time

declare -A recorded_status recorded_digest
while read -r name status digest; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    recorded_status[$name]=$status
    recorded_digest[$name]=$digest
done <"$GOLDEN_INDEX"

mapfile -t worlds < <(golden_worlds)
mkdir -p "$E2E_TMP/out"
problems=()
checked=0
for name in "${worlds[@]}"; do
    if [[ -z "${recorded_status[$name]+set}" || ! -f "$GOLDEN_DIR/$name.stdout.gz" ]]; then
        problems+=("$name: no recording (record_golden.sh with the game before the change)")
        continue
    fi
    golden_make_world "$name" "$worldgen"
    digest=$(golden_digest "$GOLDEN_WORLD")
    if [[ "$digest" != "${recorded_digest[$name]}" ]]; then
        problems+=("$name: the world's files are not those recorded (generator or test data changed)")
        continue
    fi
    expected=$E2E_TMP/out/$name.recorded
    gzip -dc "$GOLDEN_DIR/$name.stdout.gz" >"$expected"
    for mode in full line; do
        actual=$E2E_TMP/out/$name.$mode
        golden_run "$GOLDEN_WORLD" "$mode" "$actual"
        golden_compare "$name ($mode)" "the recording" "${recorded_status[$name]}" "$expected" \
            "$actual"
        checked=$((checked + 1))
    done
done
declare -A listed
for name in "${worlds[@]}"; do
    listed[$name]=1
done
for name in "${!recorded_status[@]}"; do
    [[ -n "${listed[$name]+set}" ]] ||
        problems+=("$name: recorded, but no longer a world of golden_worlds.sh")
done

if ((${#problems[@]} > 0)); then
    printf '  %s\n' "${problems[@]}" >&2
    fail "${#problems[@]} differences from the golden transcripts (outputs in $E2E_TMP/out)"
fi
note "passed: ${#worlds[@]} worlds, $checked runs"
