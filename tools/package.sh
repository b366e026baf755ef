#!/usr/bin/env bash
# Builds the 32-bit product and packs the release archive
# build/win32/ORBELA_XB-<version>-win32.zip (what CMake installs: ORBELA.exe,
# a Czech read-me and the licence), then writes and prints
# build/win32/SHA256SUMS for the archive and the program in it.
#
# The archive is the same bytes from every clean build of a commit: entries in
# name order, each dated SOURCE_DATE_EPOCH (by default the last commit's time),
# with fixed permissions and no owner or other file-system details.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
out=build/win32

cmake --preset win32 >/dev/null
archive=$(basename "$(orbela_archive)")
cmake --build --preset win32 --target ORBELA
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$out" --prefix "$stage" >/dev/null

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

{ (cd "$out" && sha256sum "$archive"); (cd "$stage" && sha256sum ORBELA.exe); } >"$out/SHA256SUMS"
echo "$out/SHA256SUMS:"
cat "$out/SHA256SUMS"
