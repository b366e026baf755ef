#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing ORBELA_XB need,
# and a way to run the 32-bit product: Wine's 32-bit loader, natively where
# the kernel runs 32-bit programs, otherwise under qemu-i386 from the
# backports suite of the machine's own Debian archive. Does nothing when all
# of it is present already; prints which 32-bit route there is.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine/wine32.sh"

packages=(
    cmake ninja-build g++ python3
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    googletest libbenchmark-dev clang libclang-rt-14-dev
    wine wine64 wine32:i386 fonts-wine xvfb imagemagick unzip
    librsvg2-bin icoutils fonts-dejavu-core
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

apt_install() {
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq "$@" >/dev/null
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi

if ! orbela_probe32 env && ! orbela_qemu_i386 >/dev/null; then
    . /etc/os-release
    # The archive that serves this release, as the machine's apt sources name it.
    archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' |
              awk -v suite="$VERSION_CODENAME" '$2 == suite { print $1; exit }')
    if [ -n "$archive" ]; then
        echo "deb $archive $VERSION_CODENAME-backports main" |
            $sudo tee /etc/apt/sources.list.d/orbela-backports.list >/dev/null
        echo "Installing qemu-user from $VERSION_CODENAME-backports: this kernel runs no 32-bit programs"
        apt_install -t "$VERSION_CODENAME-backports" qemu-user ||
            echo "qemu-user from $VERSION_CODENAME-backports could not be installed"
    fi
fi
echo "32-bit Windows programs: $(orbela_route32)"
