# shellcheck shell=bash
# The tally of the Windows tests that go on after a failed check and name every failure:
#   check WHAT COMMAND...   counts a pass when the command succeeds, else fails WHAT
#   fail MESSAGE            counts and prints one failure
#   tally_end               prints "N passed, M failed"; its status is that of the whole test
# Sourced, never run alone.

passed=0 failed=0

fail()
{
    echo "FAIL: $*"
    failed=$((failed + 1))
}

check()
{
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else fail "$what"; fi
}

tally_end()
{
    echo "$passed passed, $failed failed"
    [[ $failed -eq 0 ]]
}
