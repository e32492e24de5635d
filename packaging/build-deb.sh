#!/usr/bin/env bash
# Builds the Debian packages (debian/) from a copy of the working tree, so that the tree stays
# as it is, and collects the results in one folder: vantora_<version>_<arch>.deb, its
# vantora-dbgsym package of debug symbols, the .buildinfo and the .changes (with
# --build=full also the source package).
# Usage: packaging/build-deb.sh OUTDIR [dpkg-buildpackage options...]   (JOBS: parallel jobs)
set -euo pipefail

[[ $# -ge 1 ]] || { echo "usage: $0 OUTDIR [dpkg-buildpackage options...]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
shift
version=$(sed -n '1s/^vantora (\([^)]*\)).*/\1/p' "$root/debian/changelog")
[[ -n $version ]] || { echo "$0: no version in debian/changelog" >&2; exit 1; }
copy=$out/vantora-$version
rm -rf "$copy" "$out"/vantora_* "$out"/vantora-dbgsym_*
mkdir -p "$copy"

# The files of the working tree, local changes included: with git, those it tracks or would
# track (so never a build folder); without git, everything but the folders .gitignore names.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            [[ -e $root/$file || -L $root/$file ]] && printf '%s\0' "$file"
        done |
        tar -C "$root" --null --no-recursion -T - -cf - | tar -C "$copy" -xf -
else
    tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude=./out \
        -cf - . | tar -C "$copy" -xf -
fi

# dpkg-buildpackage writes its results into the folder above the tree: here, OUTDIR. The
# packages alone (-b), unless the options name what to build.
build=(-b)
for option in "$@"; do
    [[ $option == --build=* || $option =~ ^-[SbBAFgG]$ ]] && build=()
done
(cd "$copy" && dpkg-buildpackage -us -uc "${build[@]}" -j"${JOBS:-2}" "$@")
rm -rf "$copy"
ls -1 "$out"/vantora_*.deb "$out"/vantora-dbgsym_*.deb
