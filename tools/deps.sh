#!/usr/bin/env bash
# What building, running and testing ORBELA_XB need on Debian 12 or 13: the
# packages below (by names both releases have; debootstrap for
# tools/fresh-debian.sh), the locale cs_CZ.UTF-8 (the core's tests read
# numbers with its decimal comma), and a way to run the 32-bit product:
# Wine's 32-bit loader, natively where the kernel runs 32-bit programs,
# otherwise under qemu-i386 8 or later, taken from the release where the
# archive offers one that new, and from the release's backports suite
# where it does not.
#
#   tools/deps.sh           installs what is missing (as root or through
#                           sudo); does nothing when all of it is there
#   tools/deps.sh --check   installs nothing: names what is missing, says
#                           how to install it and fails
#
# Both print the route for 32-bit programs. tools/run.sh and tools/test.sh
# install; every other command only checks.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine/wine32.sh"

packages=(
    git cmake ninja-build g++ python3 locales
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    googletest clang libclang-rt-dev lld
    wine wine64 wine32:i386 fonts-wine xvfb imagemagick unzip
    librsvg2-bin icoutils fonts-dejavu-core fonts-liberation
    debootstrap
)
locale=cs_CZ.UTF-8

case "${1:-}" in
    "") check=false ;;
    --check) check=true ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
have_locale() { locale -a 2>/dev/null | grep -ix "${locale%%.*}\.utf-\?8" >/dev/null; }
need32() { ! orbela_probe32 env && ! orbela_qemu_i386 >/dev/null; }

if $check; then
    status=0
    if [ ${#missing[@]} -ne 0 ]; then
        echo "Missing packages: ${missing[*]}"
        status=1
    fi
    if ! have_locale; then
        echo "Missing locale: $locale"
        status=1
    fi
    [ $status -eq 0 ] || echo "tools/deps.sh (as root or through sudo) installs them."
    echo "32-bit Windows programs: $(orbela_route32)"
    if [ $status -eq 0 ] && need32; then
        echo "tools/deps.sh (as root or through sudo) installs qemu-user for them."
    fi
    exit $status
fi

sudo=()
as_root() {
    if [ "$(id -u)" -ne 0 ] && [ ${#sudo[@]} -eq 0 ]; then
        command -v sudo >/dev/null || {
            echo "tools/deps.sh: installing needs root; run it as root or install sudo" >&2
            exit 1
        }
        sudo=(sudo)
    fi
    "${sudo[@]}" "$@"
}
apt_install() {
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

if [ ${#missing[@]} -ne 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi

if ! have_locale; then
    echo "Generating the locale $locale"
    if grep -q "^# *$locale UTF-8" /etc/locale.gen 2>/dev/null; then
        as_root sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
    else
        echo "$locale UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >/dev/null
fi

# The upstream major version of the qemu-user that apt would install, with
# apt-cache's options "$@" (none, or -t SUITE); 0 when there is none.
qemu_offered() {
    local v
    v=$(apt-cache policy "$@" qemu-user 2>/dev/null | sed -n 's/^ *Candidate: //p')
    v=${v#*:}
    v=${v%%[!0-9]*}
    echo "${v:-0}"
}

if need32; then
    echo "This kernel runs no 32-bit programs: they need qemu-i386 8 or later"
    . /etc/os-release
    suite=$VERSION_CODENAME-backports
    if [ "$(qemu_offered)" -ge 8 ]; then
        echo "Installing qemu-user from $VERSION_CODENAME"
        apt_install qemu-user || echo "qemu-user could not be installed"
    else
        # The archive that serves this release, as the machine's apt sources name it.
        archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' |
                  awk -v release="$VERSION_CODENAME" '$2 == release { print $1; exit }')
        if [ -n "$archive" ]; then
            printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n' "$archive" "$suite" |
                as_root tee /etc/apt/sources.list.d/orbela-backports.sources >/dev/null
            as_root apt-get update -qq
        fi
        if [ "$(qemu_offered -t "$suite")" -ge 8 ]; then
            echo "Installing qemu-user from $suite"
            apt_install -t "$suite" qemu-user || echo "qemu-user from $suite could not be installed"
        else
            echo "Neither $VERSION_CODENAME nor $suite offers qemu-user 8 or later"
        fi
    fi
fi
echo "32-bit Windows programs: $(orbela_route32)"
