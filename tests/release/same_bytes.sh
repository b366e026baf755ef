#!/usr/bin/env bash
# Two clean builds of the release, from clones of the working tree's tracked
# files at two paths, seconds apart, with other umasks and time zones, give
# the same bytes; cmp names a file that differs and its first differing byte.
#
#   tests/release/same_bytes.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# One commit of the working tree for both builds.
"$root/tools/clone-tree.sh" "$root" "$tmp/source"

build() {  # folder, umask, time zone
    "$root/tools/clone-tree.sh" "$tmp/source" "$1"
    (
        cd "$1" && umask "$2" && export TZ=$3 CMAKE_BUILD_PARALLEL_LEVEL=2
        for preset in win32 win64; do cmake --preset $preset -DORBELA_TESTS=OFF >/dev/null; done
        cmake --build --preset win64 --target ORBELA >/dev/null
        tools/package.sh >/dev/null
    )
}

build "$tmp/one" 022 UTC0
sleep 3
build "$tmp/second/clone/ORBELA_XB" 077 JST-9
status=0
# The archive and checksum file that package.sh made, as it names them.
for file in build/win32/ORBELA.exe build/win64/ORBELA.exe $(cat "$tmp/one/build/win32/packed.txt"); do
    cmp "$tmp/one/$file" "$tmp/second/clone/ORBELA_XB/$file" && echo "same bytes: $file" || status=1
done
exit $status
