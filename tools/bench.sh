#!/usr/bin/env bash
# Prints the figures of ORBELA_XB: the velocity core against the C library's
# way, natively on glibc and as the Windows builds under Wine on the Windows
# C runtime; and the start-up of both builds under Wine against a minimal
# dialog program and against the same dialog template without code. The
# 32-bit runs take this machine's route for 32-bit programs: natively, or
# emulated by qemu-i386, whose times are then the emulator's; without a
# route they are skipped.
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" check
. tools/wine/wine32.sh
runs=${ORBELA_STARTUP_RUNS:-40}
programs=(build/win64/ORBELA.exe)
runs32=false
if orbela_need_route32 "The 32-bit build"; then
    runs32=true
    programs+=(build/win32/ORBELA.exe)
fi

for preset in linux win32 win64; do cmake --preset "$preset" >/dev/null; done
cmake --build --preset linux --target velocity_bench >/dev/null
cmake --build --preset win32 --target velocity_bench ORBELA >/dev/null
cmake --build --preset win64 --target velocity_bench ORBELA startup_bench template_dialog minimal_dialog >/dev/null

echo "=== velocity core, native (glibc)"
build/linux/bench/core/velocity_bench
echo
echo "=== velocity core, 64-bit build under Wine (Windows C runtime)"
tools/wine/session.sh '$ORBELA_WINE build/win64/bench/core/velocity_bench.exe'
echo
echo "=== velocity core, 32-bit build under Wine (Windows C runtime); 32-bit programs: $ORBELA_ROUTE32"
[ "${ORBELA_ROUTE32%% *}" = qemu ] && echo "(emulated: the times are the emulator's, not the program's)"
if $runs32; then
    tools/wine/session.sh '$ORBELA_WINE build/win32/bench/core/velocity_bench.exe'
fi
echo
echo "=== start-up under Wine"
tools/wine/session.sh "\$ORBELA_WINE build/win64/bench/startup/startup_bench.exe $runs \
    build/win64/bench/startup/minimal_dialog.exe build/win64/bench/startup/template_dialog.exe ${programs[*]}"
