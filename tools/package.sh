#!/usr/bin/env bash
# Builds the 32-bit product and packs the release archive
# build/win32/ORBELA_XB-<version>-win32.zip: ORBELA.exe and a Czech read-me.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ORBELA
cpack --preset win32
