#!/usr/bin/env bash
# Builds ORBELA_XB (the 32-bit product and the 64-bit build) and starts the
# calculator under 64-bit Wine with the Czech ANSI code page.
#
# With a display ($DISPLAY) the window opens there. Without one the program
# runs on a virtual display of its own: pictures of the main window and of
# the About box are saved to build/screenshots/, and the program is closed
# through its exit question.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ORBELA
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target ORBELA orbela_shots
echo "Built build/win32/ORBELA.exe (the product) and build/win64/ORBELA.exe"

if [ -n "${DISPLAY:-}" ]; then
    ORBELA_DISPLAY=$DISPLAY exec tools/wine/session.sh -b build/win64 -- \
        /usr/lib/wine/wine64 build/win64/ORBELA.exe
fi

mkdir -p build/screenshots
tools/wine/session.sh -b build/win64 -- /usr/lib/wine/wine64 \
    build/win64/tools/wine/shots/orbela_shots.exe build/win64/ORBELA.exe build/screenshots
tools/wine/bmp-to-png.sh build/screenshots/main.bmp build/screenshots/about.bmp
