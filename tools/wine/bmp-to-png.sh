#!/bin/sh
# Turns screenshots saved as BMP into PNG beside them: each argument is a
# BMP file or a folder of them. A missing one is skipped (its suite did not
# run). The PNGs carry no time of their making, so the same picture always
# gives the same bytes.
magick=$(dirname "$0")/../magick.sh
rc=0
convert_one() {
    [ -e "$1" ] || return 0
    if "$magick" "$1" -define png:exclude-chunks=date,time "${1%.bmp}.png"; then
        rm -f "$1"
        echo "${1%.bmp}.png"
    else
        rc=1
    fi
}
for arg in "$@"; do
    if [ -d "$arg" ]; then
        for f in "$arg"/*.bmp; do convert_one "$f"; done
    else
        convert_one "$arg"
    fi
done
exit $rc
