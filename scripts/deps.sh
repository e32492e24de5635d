#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, where missing.
# As root it runs apt-get; otherwise it prints the exact command and fails.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick faketime x11-utils valgrind
  dpkg-dev groff-base man-db
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
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
