#!/bin/bash
# Runs a command inside a Wine session of its own: a private prefix made
# from a template, an Xvfb and a wineserver, all stopped again when the
# command ends, and with it when the caller dies. Inside, $ORBELA_WINE runs
# 64-bit Wine with the Czech locale, DISPLAY and WINEPREFIX are set; the
# exit code is the command's. A single argument is run by bash -c; --exe
# runs a Windows program under $ORBELA_WINE, its standard output without
# carriage returns (so CTest runs the Windows tests through cmake/wine-run.sh).
#
#   tools/wine/session.sh '$ORBELA_WINE build/win64/ORBELA.exe'
#   tools/wine/session.sh -- env LC_ALL=C.UTF-8 xdotool search --sync --name ORBELA_XB
#   tools/wine/session.sh --exe build/win64/tests/core/velocity_test.exe
#
# With ORBELA_NEEDS_32BIT=1 the command needs 32-bit programs: where no
# route runs them it is skipped, loudly, with CTest's skip code 77, or
# fails where everything must run: under CI (CI=true) or with
# ORBELA_REQUIRE_ALL=1. Other knobs (ORBELA_KEEP_PREFIX, ORBELA_DISPLAY,
# ...) are listed in lib.sh.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib.sh"

given=("$@")
exe=false
case ${1:-} in
    --exe) exe=true; shift ;;
    --) shift ;;
esac
if [ $# -lt 1 ]; then
    echo "usage: session.sh [--exe | --] COMMAND [ARGS...]" >&2
    exit 2
fi

if [ -n "${ORBELA_SESSION_INSIDE:-}" ]; then
    inside=$ORBELA_SESSION_INSIDE
    unset ORBELA_SESSION_INSIDE
    orbela_session_start "$inside" || exit 125
else
    if [ "${ORBELA_NEEDS_32BIT:-0}" = 1 ] && ! orbela_need_route32 "The 32-bit program"; then
        if [ "${CI:-}" = true ] || [ "${ORBELA_REQUIRE_ALL:-0}" = 1 ]; then
            echo "FAILED: every test must run here (CI=true or ORBELA_REQUIRE_ALL=1)" >&2
            exit 1
        fi
        echo "SKIPPED" >&2
        exit 77
    fi
    # Killed with the caller: the parent-death signal outlives exec.
    guard=()
    command -v setpriv >/dev/null && guard=(setpriv --pdeathsig KILL)
    if [ "${ORBELA_SESSION_GUARD:-}" != $$ ] && [ ${#guard[@]} -ne 0 ]; then
        ORBELA_SESSION_GUARD=$$ exec "${guard[@]}" "$BASH" "$here/session.sh" "${given[@]}"
    fi
    unset ORBELA_SESSION_GUARD
    orbela_session_dir $$ || exit 125
    if orbela_pidns; then
        # The session's first process: when it ends, every other one does.
        ORBELA_SESSION_INSIDE=$ORBELA_SESSION_DIR "${guard[@]}" \
            unshare --pid --fork --kill-child --mount-proc -- "$BASH" "$here/session.sh" "${given[@]}" &
        ns=$!
        # unshare holds signals back until that process ends: they go to it.
        trap 'kill -TERM $(cat /proc/$ns/task/*/children 2>/dev/null) 2>/dev/null' INT TERM HUP
        while wait "$ns"; rc=$?; kill -0 "$ns" 2>/dev/null; do :; done
        orbela_session_remove
        exit "$rc"
    fi
    orbela_session_start || exit 125
fi

if $exe; then
    "$ORBELA_WINE" "$@" </dev/null | tr -d '\r'
    rc=${PIPESTATUS[0]}
    orbela_trace "program ended ($rc)"
    exit "$rc"
elif [ $# -eq 1 ]; then
    bash -c "$1"
else
    "$@"
fi
