#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing ORBELA_XB needs.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    googletest libbenchmark-dev clang libclang-rt-14-dev
    wine wine64 fonts-wine xvfb imagemagick
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
