#!/usr/bin/env bash
# Builds ORBELA_XB (the 32-bit product and the 64-bit build) and starts the
# calculator under Wine with the Czech ANSI code page: the 32-bit product
# where this machine runs 32-bit programs (tools/deps.sh sets that up), the
# 64-bit build otherwise.
#
# With a display ($DISPLAY) the window opens there, as a window of the
# desktop's own, moved, raised and closed by its window manager. Without one
# the programs run on a virtual display of their own: pictures of the main
# window, the About box and every message box go to build/screenshots/
# (main.png and about.png of the 64-bit build, main-win32.png and
# about-win32.png of the product, and the same at 120 DPI, as Windows' large
# fonts set it: main-120dpi.png, main-win32-120dpi.png, ...), and each
# program is closed through its exit question.
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" install
. tools/wine/wine32.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ORBELA
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target ORBELA orbela_shots
echo "Built build/win32/ORBELA.exe (the product) and build/win64/ORBELA.exe"

builds=(win32 win64)
if ! orbela_need_route32 "The 32-bit product"; then
    echo "The 64-bit build stands in."
    builds=(win64)
fi

if [ -n "${DISPLAY:-}" ]; then
    ORBELA_DISPLAY=$DISPLAY ORBELA_DESKTOP=user exec tools/wine/session.sh \
        "\$ORBELA_WINE build/${builds[0]}/ORBELA.exe"
fi

mkdir -p build/screenshots
for build in "${builds[@]}"; do
    suffix=-$build
    [ "$build" = win64 ] && suffix=
    for dpi in 96 120; do
        [ $dpi = 96 ] || suffix=$suffix-${dpi}dpi
        ORBELA_DPI=$dpi tools/wine/session.sh "\$ORBELA_WINE build/win64/tools/driver/orbela_shots.exe \
            build/$build/ORBELA.exe build/screenshots $suffix"
    done
done
tools/wine/bmp-to-png.sh build/screenshots
