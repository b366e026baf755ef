#!/bin/sh
# Turns the screenshots that the end-to-end tests saved as BMP into PNG.
dir=${1:?usage: bmp-to-png.sh DIR}
[ -d "$dir" ] || exit 0
rc=0
for f in "$dir"/*.bmp; do
    [ -e "$f" ] || continue
    if convert "$f" "${f%.bmp}.png"; then
        rm -f "$f"
        echo "${f%.bmp}.png"
    else
        rc=1
    fi
done
exit $rc
