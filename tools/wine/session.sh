#!/bin/bash
# Runs any command inside a Wine session of its own: a private prefix copied
# from a template, an Xvfb and a wineserver, all stopped again
# when the command ends. Inside, $ORBELA_WINE runs 64-bit Wine with the
# Czech locale, DISPLAY and WINEPREFIX are set; the exit code is the
# command's. A single argument is run by bash -c.
#
#   tools/wine/session.sh '$ORBELA_WINE build/win64/ORBELA.exe'
#   tools/wine/session.sh -- env LC_ALL=C.UTF-8 xdotool search --sync --name ORBELA_XB
#
# Knobs (ORBELA_KEEP_PREFIX, ORBELA_DISPLAY, ...) are listed in lib.sh.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib.sh"

if [ "${1:-}" = -- ]; then shift; fi
if [ $# -lt 1 ]; then
    echo "usage: session.sh [--] COMMAND [ARGS...]" >&2
    exit 2
fi

orbela_session_start || exit 125
if [ $# -eq 1 ]; then
    bash -c "$1"
else
    "$@"
fi
