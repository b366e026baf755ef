#!/usr/bin/env bash
# Builds the 32-bit product and packs what CMake installs (ORBELA.exe, a
# Czech read-me and the licence) into an archive in build/win32, with a
# checksum file for the archive and the program in it, and prints both.
#
# A release, ORBELA_XB-<version>-win32.zip with SHA256SUMS, is packed only
# from a commit tagged v<version> whose working tree holds nothing else:
# no changed file and no untracked one that git does not ignore (a file
# forgotten by `git add` is missing from the tag, whether or not the build
# read it). Anything else would give checksums that nobody can get again
# from the tag, so it is packed as a snapshot named by its commit,
# ORBELA_XB-<version>-snapshot-<commit>[-dirty]-win32.zip with
# ORBELA_XB-<version>-snapshot-<commit>[-dirty]-win32.SHA256SUMS, and a
# NOT A RELEASE line says why. Archives and checksum files of other
# packings leave build/win32; build/win32/packed.txt names the archive
# and the checksum file just written, one a line.
#
# The archive is the same bytes from every clean build of a commit: entries in
# name order, each dated SOURCE_DATE_EPOCH (by default the last commit's time),
# with fixed permissions and no owner or other file-system details.
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" check

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
out=build/win32

cmake --preset win32 >/dev/null
# The name and the version that project() gives, as the build tree's cache holds them.
name=$(sed -n 's/^CMAKE_PROJECT_NAME:STATIC=//p' "$out/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
stem=$name-$version
release=$stem-win32.zip
commit=$(git rev-parse --short=12 HEAD)
changes=$(git status --porcelain --untracked-files=normal)
if [ -n "$changes" ]; then
    why="the working tree differs from commit $commit:"$'\n'$(sed -n 1,20p <<<"$changes")
    archive=$stem-snapshot-$commit-dirty-win32.zip
elif [ -z "$(git tag --points-at HEAD --list "v$version")" ]; then
    why="commit $commit is not tagged v$version"
    tags=$(git tag --points-at HEAD | xargs echo)
    [ -z "$tags" ] || why="$why, but $tags"
    archive=$stem-snapshot-$commit-win32.zip
else
    why=
    archive=$release
fi
sums=SHA256SUMS
[ "$archive" = "$release" ] || sums=${archive%.zip}.SHA256SUMS

cmake --build --preset win32 --target ORBELA
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$out" --prefix "$stage" >/dev/null

for old in "$out"/*-win32.zip "$out"/*SHA256SUMS; do
    if [ -e "$old" ] && [ "$old" != "$out/$archive" ] && [ "$old" != "$out/$sums" ]; then
        rm -f "$old"
        echo "Removed $old, of an earlier packing"
    fi
done

python3 - "$stage" "$out/$archive" "$epoch" <<'PY'
import os, sys, time, zipfile
stage, archive, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
with zipfile.ZipFile(archive, "w") as z:
    for name in sorted(os.listdir(stage)):
        entry = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
        entry.create_system = 3  # Unix, so that the permissions below count
        entry.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(entry, f.read())
PY

{ (cd "$out" && sha256sum "$archive"); (cd "$stage" && sha256sum ORBELA.exe); } >"$out/$sums"
printf '%s\n' "$out/$archive" "$out/$sums" >"$out/packed.txt"
echo "$out/$sums:"
cat "$out/$sums"
if [ -n "$why" ]; then
    {
        echo "*** NOT A RELEASE: $why"
        echo "*** Packed as a snapshot, never to be published as $stem: $out/$archive"
        echo "*** A release is packed from a clean working tree at the tag v$version (README: Cutting a release)."
    } >&2
fi
