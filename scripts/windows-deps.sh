#!/usr/bin/env bash
# Builds the libraries of the Windows programs that Debian does not build for MinGW-w64,
# freeglut and libpng, from Debian's own source packages of this machine's release, as static
# libraries, with the project's MinGW-w64 toolchain. zlib comes ready-made from Debian's
# libz-mingw-w64-dev. Everything lands in FOLDER/deps and is kept there: a second run with the
# same source versions builds nothing.
#   scripts/windows-deps.sh FOLDER     (make windows uses build-windows)
# Afterwards FOLDER/deps/prefix is the prefix to build against (VANTORA_WINDOWS_DEPS) and
# FOLDER/deps/src holds the unpacked sources, whose licence texts go into the zip.
#
# The sources come through apt itself, from a list of its own (the archives and suites this
# machine's apt already uses, as deb-src lines) with state and cache folders of its own: apt
# checks every file against the archive's signed index, as for any download, and the system's
# own apt set-up is left as it was.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -eq 1 ]] || {
    echo "usage: $0 FOLDER" >&2
    exit 2
}
mkdir -p "$1"
deps=$(cd "$1" && pwd)/deps
toolchain=$root/packaging/windows/mingw-w64-x86_64.cmake
jobs=${JOBS:-2}
# The source packages and the CMake options of each (static library only, no programs).
packages=(freeglut libpng1.6)
declare -A options=(
    [freeglut]="-DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON
                -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_GLES=OFF"
    [libpng1.6]="-DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
                 -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON"
)

apt_dir=$deps/apt
apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "Debug::NoLocking=1"
    # The files land in a folder of ours, which apt's unprivileged download user cannot write.
    -o "APT::Sandbox::User=root"
)
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
    "$deps/downloads" "$deps/src" "$deps/build" "$deps/prefix"

# The deb-src list: every Debian archive and suite this machine installs its packages from.
apt-get indextargets 'Origin: Debian' 'Identifier: Packages' \
    --format 'deb-src $(REPO_URI) $(RELEASE) $(COMPONENT)' | sort -u >"$apt_dir/sources.list.new"
[[ -s "$apt_dir/sources.list.new" ]] || {
    echo "$0: apt knows no Debian archive on this machine (run apt-get update first)" >&2
    exit 1
}
mv "$apt_dir/sources.list.new" "$apt_dir/sources.list"
# The indexes, fetched again once a day.
fresh=$apt_dir/lists/.updated
if [[ ! -e "$fresh" || -n $(find "$fresh" -mmin +1440) ]]; then
    apt-get "${apt_options[@]}" -qq update
    touch "$fresh"
fi

# Fetches a source package into downloads/, unpacks it under src/ (once) and prints that
# folder. The newest version the list offers comes first; a security suite may list a version
# that a mirror does not carry yet, and then the next one is taken.
fetch()
{
    local package=$1 version folder
    while read -r version; do
        folder=$deps/src/$package-$version
        [[ -d "$folder" ]] && break
        (cd "$deps/downloads" &&
            apt-get "${apt_options[@]}" -qq source --download-only "$package=$version" \
                >/dev/null 2>&1) || continue
        rm -rf "$folder.tmp"
        (cd "$deps/downloads" &&
            dpkg-source --no-check -x "${package}_${version#*:}.dsc" "$folder.tmp" >/dev/null)
        mv "$folder.tmp" "$folder"
        break
    done < <(apt-cache "${apt_options[@]}" showsrc "$package" | sed -n 's/^Version: //p' |
        sort -urV)
    [[ -d "$folder" ]] || {
        echo "$0: no version of the source package $package could be fetched" >&2
        return 1
    }
    echo "$folder"
}

for package in "${packages[@]}"; do
    source_dir=$(fetch "$package") || exit 1
    stamp=$deps/prefix/.built-$(basename "$source_dir")
    [[ -e "$stamp" ]] && continue
    echo "Building $(basename "$source_dir") for Windows"
    build_dir=$deps/build/$package
    rm -rf "$build_dir"
    # shellcheck disable=SC2086 # the options are words
    cmake -S "$source_dir" -B "$build_dir" -Wno-dev -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVANTORA_WINDOWS_DEPS="$deps/prefix" \
        -DCMAKE_INSTALL_PREFIX="$deps/prefix" ${options[$package]} >"$build_dir.log" 2>&1 &&
        cmake --build "$build_dir" -j "$jobs" >>"$build_dir.log" 2>&1 &&
        cmake --install "$build_dir" >>"$build_dir.log" 2>&1 || {
        echo "$0: building $package failed; see $build_dir.log" >&2
        tail -n 20 "$build_dir.log" >&2
        exit 1
    }
    touch "$stamp"
done
