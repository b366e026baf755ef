#!/usr/bin/env bash
# Prints the figures of ORBELA_XB: the velocity core against the C library
# (native), and the start-up of the program against a minimal dialog
# program under 64-bit Wine.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
runs=${ORBELA_STARTUP_RUNS:-40}

cmake --preset linux >/dev/null
cmake --build --preset linux --target velocity_bench >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target ORBELA startup_bench template_dialog minimal_dialog >/dev/null

echo "=== velocity core"
build/linux/bench/core/velocity_bench

echo
echo "=== start-up under Wine"
tests/wine/session.sh -b build/win64 -- /usr/lib/wine/wine64 \
    build/win64/tests/perf/startup_bench.exe build/win64/ORBELA.exe \
    build/win64/tests/perf/template_dialog.exe \
    build/win64/tests/perf/minimal_dialog.exe "$runs"
