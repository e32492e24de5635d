#!/usr/bin/env bash
# Installs the Debian packages that one of the top-level commands needs, where missing. The
# list is debian/control's Build-Depends (see the comment at the top of that file):
#   scripts/deps.sh play      building and playing, a virtual display included
#   scripts/deps.sh package   building the Debian package: every entry without <!nocheck>
#                             and outside the build profile pkg.vantora.windows
#   scripts/deps.sh windows   cross-building for Windows: the "make play" entries without
#                             <!nocheck>, and those of pkg.vantora.windows
#   scripts/deps.sh check     everything: the tests and the package checks too
# build-essential (compiler, make, dpkg-dev) comes with every set, as Debian implies it for
# every package build. As root it runs apt-get; otherwise it prints the exact command and fails.
# scripts/deps.sh --list SET prints the set, one package a line, and installs nothing.
set -euo pipefail

list_only=""
if [[ ${1:-} == --list ]]; then
    list_only=1
    shift
fi
set_name=${1:-play}
[[ $set_name =~ ^(play|package|windows|check)$ ]] || {
    echo "usage: $0 [--list] play|package|windows|check" >&2
    exit 2
}
control=$(cd "$(dirname "$0")/.." && pwd)/debian/control

# The entries of the Build-Depends field of the source stanza, one a line, each with its group
# ("play" after a comment that begins with "make play", else "other"). An entry keeps its
# alternatives, versions and build profiles: "name (>= 1) <!nocheck>".
entries()
{
    awk '
        /^$/ { exit }
        /^#/ { if (field) group = ($0 ~ /^# *make play/) ? "play" : "other"; next }
        /^[^ \t]/ { field = ($0 ~ /^Build-Depends:/); group = "other"; sub(/^[^:]*:/, "") }
        field {
            n = split($0, parts, ",")
            for (i = 1; i <= n; i++) {
                entry = parts[i]
                gsub(/^[ \t]+|[ \t]+$/, "", entry)
                if (entry != "") print group "\t" entry
            }
        }' "$control"
}

# The packages of the chosen set: the first alternative of each entry that belongs to it, with
# its version and architecture restrictions dropped (apt picks the candidate; the versions
# named are those of Debian 12).
wanted=(build-essential)
while IFS=$'\t' read -r group entry; do
    case $set_name in
    play) [[ $group == play ]] || continue ;;
    package) [[ $entry != *'<!nocheck>'* && $entry != *'<pkg.vantora.windows>'* ]] || continue ;;
    windows)
        [[ $entry == *'<pkg.vantora.windows>'* ||
            ($group == play && $entry != *'<!nocheck>'*) ]] || continue
        ;;
    esac
    name=${entry%%|*}
    name=${name%%[ (<[]*}
    name=${name%%:*}
    wanted+=("$name")
done < <(entries)

if [[ -n $list_only ]]; then
    printf '%s\n' "${wanted[@]}"
    exit 0
fi

# Installed packages and the virtual ones they provide (debhelper provides debhelper-compat).
declare -A installed=()
while IFS=$'\t' read -r status name provides; do
    [[ $status == "install ok installed" ]] || continue
    installed[$name]=1
    IFS=',' read -r -a provided <<<"$provides"
    for p in "${provided[@]}"; do
        p=${p# }
        installed[${p%% *}]=1
    done
done < <(dpkg-query -W -f='${Status}\t${Package}\t${Provides}\n' 2>/dev/null || true)

missing=()
for p in "${wanted[@]}"; do
    [[ -n ${installed[$p]:-} ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    echo "Missing packages. Run as root:"
    echo "  apt-get update && $command"
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
