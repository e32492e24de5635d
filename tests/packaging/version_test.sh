#!/usr/bin/env bash
# The project's version lives in project() only: debian/changelog, the manual pages and the
# programs' --version must all say the same.
# Usage: version_test.sh VERSION SOURCE_DIR PAGES_DIR VANTORA_CHECK VANTORA_WORLDGEN
#   VERSION    project()'s version, as CMake has it
#   PAGES_DIR  the manual pages the build wrote from their templates
set -uo pipefail

[[ $# -eq 5 ]] || { echo "usage: $0 VERSION SOURCE_DIR PAGES_DIR VANTORA_CHECK VANTORA_WORLDGEN" >&2; exit 2; }
version=$1 source=$2 pages=$3 check=$4 worldgen=$5
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# debian/changelog: the newest entry, without a Debian revision if one is added later.
changelog=$(sed -n '1s/^vantora (\([^)]*\)).*/\1/p' "$source/debian/changelog")
[[ ${changelog%-*} == "$version" ]] ||
    fail "debian/changelog's newest entry is '$changelog', project() says $version"

# The page templates take the version from the build; a page written by the build carries it
# in its title line.
for page in vantora.6 vantora-check.1 vantora-worldgen.1; do
    title=$(grep -m1 '^\.TH ' "$source/packaging/$page")
    [[ $title == *'"vantora @PROJECT_VERSION@"'* ]] ||
        fail "packaging/$page does not take its version from the build: $title"
    title=$(grep -m1 '^\.TH ' "$pages/$page")
    [[ $title == *"\"vantora $version\""* ]] || fail "the built $page says: $title"
done

out=$("$check" --version) || fail "vantora-check --version ended with status $?"
[[ $out == "vantora-check $version" ]] || fail "vantora-check --version printed '$out'"

# The generator is checked once it answers --version.
if out=$("$worldgen" --version 2>/dev/null); then
    [[ $out == "vantora-worldgen $version" ]] || fail "vantora-worldgen --version printed '$out'"
else
    echo "note: vantora-worldgen has no --version yet"
fi

[[ $failures -eq 0 ]] && echo "all say $version"
exit $((failures > 0))
