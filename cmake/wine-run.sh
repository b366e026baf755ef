#!/bin/bash
# Runs a Windows test program under 64-bit Wine in a session of its own
# (private prefix, Xvfb, wineserver) and returns the program's exit code.
# Its standard output is passed through without carriage returns.
# Used by CTest as the cross-compiling emulator; knobs in tools/wine/lib.sh.
set -u
if [ $# -lt 1 ]; then
    echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../tools/wine/lib.sh"

# Tests of the 32-bit product say so. Where no route runs 32-bit programs
# they are skipped, loudly (CTest's SKIP_RETURN_CODE), or fail where
# everything must run: under CI (CI=true) or with ORBELA_REQUIRE_ALL=1.
if [ "${ORBELA_NEEDS_32BIT:-0}" = 1 ]; then
    route=$(orbela_route32)
    if ! orbela_runs32 "$route"; then
        if [ "${CI:-}" = true ] || [ "${ORBELA_REQUIRE_ALL:-0}" = 1 ]; then
            echo "FAILED: the 32-bit program cannot run here, and every test must: ${route#none: }" >&2
            exit 1
        fi
        echo "SKIPPED: the 32-bit program cannot run here: ${route#none: }" >&2
        exit 77
    fi
fi
orbela_session_start || exit 125
"$ORBELA_WINE" "$@" </dev/null | tr -d '\r'
rc=${PIPESTATUS[0]}
orbela_trace "program ended ($rc)"
exit "$rc"
