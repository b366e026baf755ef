#!/bin/sh
# CTest's cross-compiling emulator: runs a Windows test program in a Wine
# session of its own and returns its exit code (tools/wine/session.sh --exe).
exec "$(dirname "$0")/../tools/wine/session.sh" --exe "$@"
