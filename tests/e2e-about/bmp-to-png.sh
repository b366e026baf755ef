#!/bin/sh
# Turns the given BMP screenshots into PNG beside them; a missing one is
# skipped (its suite did not run).
rc=0
for f in "$@"; do
    [ -e "$f" ] || continue
    if convert "$f" "${f%.bmp}.png"; then
        rm -f "$f"
        echo "${f%.bmp}.png"
    else
        rc=1
    fi
done
exit $rc
