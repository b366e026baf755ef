#!/usr/bin/env bash
# Builds the 32-bit product and packs the release archive
# build/win32/ORBELA_XB-<version>-win32.zip: ORBELA.exe and a Czech read-me.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ORBELA
cpack --preset win32
