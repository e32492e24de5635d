# shellcheck shell=bash
# The golden start-up transcripts: the one list of worlds, the one way to build each world and
# the one way to run the game in it, shared by golden_test.sh (which checks the game against
# the transcripts) and record_golden.sh (which writes them). Sourced after lib.sh.
#
# A transcript is the game's whole standard output, byte for byte, and its exit status, with
# time() frozen (so the people stand on the same cells) and "q" sent as soon as the window is
# there; worlds that do not load end by themselves. tests/data/golden/ holds one
# <world>.stdout.gz (gzip -n -9) per world and index.txt, one line per world:
#   <world> <exit status> <sha256 over the world's files, names and bytes>
# The digest tells a changed world (a generator that writes other bytes, edited test data)
# from a game that prints other bytes.

readonly GOLDEN_DIR=$E2E_SOURCE/tests/data/golden
# shellcheck disable=SC2034 # read by the scripts
readonly GOLDEN_INDEX=$GOLDEN_DIR/index.txt
# Generated worlds: rows, columns and seed of vantora-worldgen.
readonly GOLDEN_GENERATED=("20 30 7" "33 33 2" "60 40 11")
# Worlds of tests/data used as they stand (with the bundled raw textures added).
readonly GOLDEN_DATA=(blocks startup strip tiny)
# shellcheck disable=SC2034 # read by the scripts
GOLDEN_STATUS="" # the exit status of the game that golden_run ran last
GOLDEN_WORLD=""  # the folder that golden_make_world built last

# Prints the names of the worlds, one a line: the bundled world, the generated ones, one per
# folder of tests/data/checker, and those of tests/data.
golden_worlds()
{
    local generated rows cols seed folder name
    echo bundled
    for generated in "${GOLDEN_GENERATED[@]}"; do
        read -r rows cols seed <<<"$generated"
        echo "generated-${rows}x$cols-seed$seed"
    done
    for folder in "$E2E_SOURCE"/tests/data/checker/*/; do
        echo "checker-$(basename "$folder")"
    done
    for name in "${GOLDEN_DATA[@]}"; do
        echo "data-$name"
    done
}

# Builds the world `name` in a new folder under E2E_TMP/worlds and sets GOLDEN_WORLD to it.
# Generated worlds come from `worldgen` (a vantora-worldgen) in a fresh empty folder.
golden_make_world()
{
    local name=$1 worldgen=$2 folder file
    GOLDEN_WORLD=$E2E_TMP/worlds/$name
    case $name in
    bundled)
        GOLDEN_WORLD=$(copy_world "$E2E_SOURCE/world" "worlds/$name")
        ;;
    generated-*)
        [[ $name =~ ^generated-([0-9]+)x([0-9]+)-seed([0-9]+)$ ]] ||
            fail "cannot read rows, columns and seed from '$name'"
        local -a args=("${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}")
        mkdir -p "$E2E_TMP/worlds"
        mkdir "$GOLDEN_WORLD"
        "$worldgen" "${args[@]}" "$GOLDEN_WORLD" --assets "$E2E_SOURCE/world" \
            >"$E2E_TMP/worldgen-$name.log" 2>&1 ||
            fail "$worldgen ${args[*]} failed: $(tail -n 3 "$E2E_TMP/worldgen-$name.log")"
        ;;
    checker-*)
        # The bundled world, the folder's files written over it, those named in `absent`
        # removed; `absent` and `expected.txt` belong to the checker's test, not the world.
        folder=$E2E_SOURCE/tests/data/checker/${name#checker-}
        [[ -d "$folder" ]] || fail "no folder $folder"
        GOLDEN_WORLD=$(copy_world "$E2E_SOURCE/world" "worlds/$name")
        for file in "$folder"/*; do
            [[ ! -f "$file" ]] || cp "$file" "$GOLDEN_WORLD/"
        done
        if [[ -f "$folder/absent" ]]; then
            while IFS= read -r file || [[ -n "$file" ]]; do
                [[ -z "$file" ]] || rm -f "${GOLDEN_WORLD:?}/$file"
            done <"$folder/absent"
        fi
        rm -f "$GOLDEN_WORLD/absent" "$GOLDEN_WORLD/expected.txt"
        ;;
    data-*)
        folder=$E2E_SOURCE/tests/data/${name#data-}
        [[ -d "$folder" ]] || fail "no folder $folder"
        GOLDEN_WORLD=$(copy_world "$folder" "worlds/$name")
        # The start-up output the tiny world's own test expects; not a world file.
        rm -f "$GOLDEN_WORLD/expected-stdout.txt"
        ;;
    *)
        fail "unknown world '$name'"
        ;;
    esac
}

# Prints the digest of a world folder: sha256 over the sorted names and bytes of its files.
golden_digest()
{
    (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum) |
        sha256sum | cut -d ' ' -f 1
}

# Runs the game in a world folder with time frozen and writes its standard output to `out`,
# through a pipe: `full` leaves the C library's full buffering of a pipe, `line` runs the
# game through `stdbuf -oL`. Waits (at most 20 s) for the window, sends "q" (again every
# 2 s while it runs) and waits (at most 10 s) for the end; a game that ends by itself needs
# no key. Sets GOLDEN_STATUS to the game's exit status. Standard error goes to out.stderr.
#   golden_run [--preload LIBRARY] DIR MODE OUT [PROGRAM...]
# PROGRAM is the game with whatever goes in front of it, $VANTORA_BIN by default (the Windows
# game: wine and its .exe); it runs after the frozen clock and stdbuf. --preload adds a
# library to the game's LD_PRELOAD, after the frozen clock's and before stdbuf's.
golden_run()
{
    local preload=""
    if [[ ${1-} == --preload ]]; then
        preload=$2
        shift 2
    fi
    local dir=$1 mode=$2 out=$3 fifo=$E2E_TMP/golden.fifo reader window=0 _ i
    shift 3
    local -a buffering=() program=("$@") frozen=("${E2E_FROZEN_ENV[@]}")
    local what
    what="$(basename "$dir") ($mode)"
    if ((${#program[@]} == 0)); then
        program=("$VANTORA_BIN")
    else
        what="$(basename "$dir") ($mode, $(basename "${program[${#program[@]} - 1]}"))"
    fi
    if [[ -n $preload ]]; then
        # E2E_FROZEN_ENV is `env` and its settings: the library joins its LD_PRELOAD.
        local joined=""
        ((${#frozen[@]} > 0)) || frozen=(env)
        for i in "${!frozen[@]}"; do
            if [[ ${frozen[i]} == LD_PRELOAD=* ]]; then
                frozen[i]+=":$preload"
                joined=1
            fi
        done
        [[ -n $joined ]] || frozen+=("LD_PRELOAD=$preload")
    fi
    case $mode in
    full) ;;
    line) buffering=(stdbuf -oL) ;;
    *) fail "unknown output mode '$mode'" ;;
    esac
    # A named pipe rather than `| cat`: the same kind of standard output, and this shell knows
    # the game's own process id.
    rm -f "$fifo"
    mkfifo "$fifo"
    cat <"$fifo" >"$out" &
    reader=$!
    game_start ${E2E_CLOCK_FD:+--close "$E2E_CLOCK_FD"} "$dir" "$fifo" "$out.stderr" \
        "${frozen[@]}" "${buffering[@]}" "${program[@]}"
    # Output in a pipe shows only at the end, so the window tells that the game is up.
    game_wait_window 20 || window=$?
    ((window != 1)) || fail "$what: no window and no end within 20 s"
    if ((window == 0)); then
        # "q", again every 2 s while the game runs, for at most 10 s.
        for _ in 1 2 3 4 5; do
            game_keys q >/dev/null 2>&1 || true
            game_poll 2 game_ended && break
        done
    fi
    game_wait_exit 0 || fail "$what: the game still runs 10 s after 'q'"
    # shellcheck disable=SC2034 # read by the scripts
    GOLDEN_STATUS=$GAME_STATUS
    for _ in $(seq 100); do
        kill -0 "$reader" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$reader" 2>/dev/null && fail "$what: the output pipe stays open"
    wait "$reader" || fail "$what: reading the output pipe failed"
    # The next game must not find this one's window while the server closes it.
    game_wait_no_window 5 || fail "$what: $GAME_ERROR"
}

# Adds to the caller's array `problems` where the last golden_run's exit status and output (the
# file `actual`) are not those of `against` (a noun: "the recording"), `status` and the file
# `expected`, and shows where the bytes part. `what` names the run.
#   golden_compare WHAT AGAINST STATUS EXPECTED ACTUAL
golden_compare()
{
    local what=$1 against=$2 status=$3 expected=$4 actual=$5
    if [[ $GOLDEN_STATUS != "$status" ]]; then
        problems+=("$what: exit status $GOLDEN_STATUS, where $against has $status")
    fi
    if ! cmp -s "$expected" "$actual"; then
        problems+=("$what: standard output differs from $against")
        {
            echo "--- $what: where the standard output parts from $against"
            golden_show_difference "$expected" "$actual"
        } >&2
    fi
}

# Prints where two transcripts part: the first differing byte and line, and 48 bytes of each
# from a little before it.
golden_show_difference()
{
    local expected=$1 actual=$2 where byte from
    where=$(cmp "$expected" "$actual" 2>&1 || true)
    echo "    $where"
    byte=$(sed -nE 's/.*differ: (char|byte) ([0-9]+).*/\2/p' <<<"$where")
    if [[ -z "$byte" ]]; then
        # One is the start of the other: cmp names the shorter one.
        byte=$(($(wc -c <"$expected") < $(wc -c <"$actual") ? $(wc -c <"$expected") : $(wc -c <"$actual")))
        byte=$((byte + 1))
    fi
    from=$((byte > 17 ? byte - 17 : 0))
    echo "    recorded (od counts offsets from 0):"
    od -A d -c -j "$from" -N 48 "$expected" | sed 's/^/      /'
    echo "    now:"
    od -A d -c -j "$from" -N 48 "$actual" | sed 's/^/      /'
}
