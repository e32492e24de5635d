#!/usr/bin/env bash
# End to end: "R" does nothing; "r" hands "vantora &" to the shell, which finds a stand-in
# `vantora` first on PATH, and the game ends with status 0.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
need_tools
start_xvfb

# The stand-in records where and with how many arguments it was started.
mkdir -p "$E2E_TMP/bin"
marker="$E2E_TMP/restarted.txt"
cat >"$E2E_TMP/bin/vantora" <<EOF
#!/bin/sh
printf '%s %s\n' "\$PWD" "\$#" >>"$marker"
EOF
chmod +x "$E2E_TMP/bin/vantora"

# tests/data/strip has no model files: nothing in it moves by itself, so an unchanged
# picture means an unchanged game.
world=$(copy_world "$E2E_SOURCE/tests/data/strip" strip)
start_game "$world" env PATH="$E2E_TMP/bin:$PATH"
wait_window
wait_drawn
before=$(shot before)

note "R does nothing"
send_keys R
sync_keys
expect_running "after R"
[[ ! -e "$marker" ]] || fail "R started the program again"
after=$(shot after-R)
(($(pixels_differ "$before" "$after") == 0)) || fail "R changed the picture"

note "r restarts through the shell and ends with 0"
send_keys r
wait_exit 5
[[ "$GAME_STATUS" == 0 ]] || fail "restart ended the game with status $GAME_STATUS, expected 0"
for _ in $(seq 100); do
    [[ -s "$marker" ]] && break
    sleep 0.05
done
[[ -s "$marker" ]] || fail "the stand-in vantora was not started within 5 s"
# Started once, with no arguments, in the game's working directory.
[[ "$(cat "$marker")" == "$world 0" ]] ||
    fail "the stand-in recorded '$(cat "$marker")', expected '$world 0'"

note "passed"
