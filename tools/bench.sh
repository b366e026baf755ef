#!/usr/bin/env bash
# Prints the figures of ORBELA_XB: the velocity core against the C library
# (native on glibc, and the Windows builds under Wine on the Windows C
# runtime), and the start-up of the program against a minimal dialog
# program under 64-bit Wine.
#
# ORBELA_WINE32: a command that runs a 32-bit Windows program, as in
# `$ORBELA_WINE32 prog32.exe args`; without it the 32-bit core run is skipped.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
runs=${ORBELA_STARTUP_RUNS:-40}

cmake --preset linux >/dev/null
cmake --build --preset linux --target velocity_bench >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target velocity_bench ORBELA startup_bench template_dialog minimal_dialog >/dev/null
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target velocity_bench >/dev/null

echo "=== velocity core, native (glibc)"
build/linux/bench/core/velocity_bench

echo
echo "=== velocity core, 64-bit build under Wine (Windows C runtime)"
tests/wine/session.sh -b build/win64 -- /usr/lib/wine/wine64 build/win64/bench/core/velocity_bench.exe

echo
echo "=== velocity core, 32-bit build under Wine (Windows C runtime)"
# The 32-bit run: only where a command to run 32-bit Windows programs is given.
if [ -n "${ORBELA_WINE32:-}" ]; then
    # shellcheck disable=SC2086 # the command may carry its own arguments
    $ORBELA_WINE32 build/win32/bench/core/velocity_bench.exe
else
    echo "32-bit: skipped (ORBELA_WINE32 names no command that runs a 32-bit Windows program)"
fi

echo
echo "=== start-up under Wine"
tools/wine/session.sh -- /usr/lib/wine/wine64 \
    build/win64/bench/startup/startup_bench.exe build/win64/ORBELA.exe \
    build/win64/bench/startup/template_dialog.exe \
    build/win64/bench/startup/minimal_dialog.exe "$runs"
