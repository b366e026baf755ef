#!/usr/bin/env bash
# Retakes the README's pictures, docs/main.png and docs/about.png, from the
# 32-bit product: its main window and its About box on a virtual display,
# under the test prefix's colours, as tools/run.sh photographs them without
# a display. The PNGs carry no time, so retaking an unchanged picture gives
# the same bytes, and `git status docs` shows only pictures that changed.
. "$(dirname "${BASH_SOURCE[0]}")/deps-ready.sh" check
. tools/wine/wine32.sh

orbela_need_route32 "The 32-bit product, whose pictures the README shows," || exit 1
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target ORBELA
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orbela_shots

shots=build/pictures
rm -rf "$shots"
mkdir -p "$shots"
tools/wine/session.sh "\$ORBELA_WINE build/win64/tools/driver/orbela_shots.exe build/win32/ORBELA.exe $shots"
for picture in main about; do
    tools/wine/bmp-to-png.sh "$shots/$picture.bmp" >/dev/null
    if cmp -s "$shots/$picture.png" "docs/$picture.png"; then
        echo "docs/$picture.png: the same bytes"
    else
        cp "$shots/$picture.png" "docs/$picture.png"
        echo "docs/$picture.png: retaken, changed"
    fi
done
