#!/bin/bash
# Runs any command inside a Wine session of its own: a private prefix copied
# from the build tree's template, an Xvfb and a wineserver, all stopped again
# when the command ends. Inside, $ORBELA_WINE is the 64-bit Wine loader,
# DISPLAY and WINEPREFIX are set; the exit code is the command's.
#
#   tests/wine/session.sh '$ORBELA_WINE build/win64/ORBELA.exe'
#   tests/wine/session.sh -b build/win64 -- xdotool search --sync --name ORBELA_XB
#
# -b DIR names the build tree when the command names no file in it.
# Knobs (ORBELA_KEEP_PREFIX, ORBELA_DISPLAY, ...) are listed in lib.sh.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib.sh"

anchor=$PWD/.
if [ "${1:-}" = -b ]; then
    anchor=$(cd "$2" && pwd)/.
    shift 2
fi
[ "${1:-}" = -- ] && shift
if [ $# -lt 1 ]; then
    echo "usage: session.sh [-b BUILD_DIR] [--] COMMAND [ARGS...]" >&2
    exit 2
fi
for a in "$@"; do
    [ -f "$a" ] && { anchor=$a; break; }
done

orbela_session_start "$anchor" || exit 125
if [ $# -eq 1 ]; then
    bash -c "$1"
else
    "$@"
fi
