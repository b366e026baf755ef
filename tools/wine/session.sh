#!/bin/bash
# Runs any command inside a Wine session of its own: a private prefix copied
# from the build tree's template, an Xvfb and a wineserver, all stopped again
# when the command ends. Inside, $ORBELA_WINE runs 64-bit Wine with the
# Czech locale, DISPLAY and WINEPREFIX are set; the exit code is the
# command's. A single argument is run by bash -c.
#
#   tools/wine/session.sh '$ORBELA_WINE build/win64/ORBELA.exe'
#   tools/wine/session.sh -b build/win64 -- env LC_ALL=C.UTF-8 xdotool search --sync --name ORBELA_XB
#
# -b DIR names the build tree when the command names no file in it.
# Knobs (ORBELA_KEEP_PREFIX, ORBELA_DISPLAY, ...) are listed in lib.sh.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib.sh"

anchor=
if [ "${1:-}" = -b ]; then
    anchor=$(cd "$2" && pwd)/.
    shift 2
fi
[ "${1:-}" = -- ] && shift
if [ $# -lt 1 ]; then
    echo "usage: session.sh [-b BUILD_DIR] [--] COMMAND [ARGS...]" >&2
    exit 2
fi
if [ -z "$anchor" ]; then
    anchor=$PWD/.
    if [ $# -eq 1 ]; then set -f; words=($1); set +f; else words=("$@"); fi
    for a in "${words[@]}"; do
        [ -f "$a" ] && { anchor=$a; break; }
    done
fi

orbela_session_start "$anchor" || exit 125
if [ $# -eq 1 ]; then
    bash -c "$1"
else
    "$@"
fi
