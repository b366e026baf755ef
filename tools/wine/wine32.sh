# How 32-bit Windows programs run on this machine (sourced, not run).
#
# Wine's 32-bit loader, /usr/lib/wine/wine from wine32:i386, is an i386
# Linux program. It runs natively where the kernel runs 32-bit programs;
# elsewhere it runs under QEMU's user-mode emulator qemu-i386, version 8 or
# later (7.x spends a minute or more starting each program). The route is
# found by trying a tiny 32-bit program, never guessed from names.

ORBELA_WINE32_LOADER=/usr/lib/wine/wine

# Writes a complete i386 Linux program of 91 bytes that exits with code 42.
orbela_write_probe32() {
    printf '%b' '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
        '\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00' \
        '\x00\x10\x00\x00\xb3\x2a\x31\xc0\x40\xcd\x80' >"$1" && chmod +x "$1"
}

# True when the probe, run by the command in "$@", exits with its 42.
orbela_probe32() {
    local probe rc
    probe=$(mktemp "${TMPDIR:-/tmp}/orbela-probe32.XXXXXX") || return 1
    orbela_write_probe32 "$probe"
    "$@" "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    [ "$rc" -eq 42 ]
}

# The path of a qemu-i386 of version 8 or later that runs the probe.
orbela_qemu_i386() {
    local q major
    for q in qemu-i386 qemu-i386-static; do
        q=$(command -v "$q") || continue
        major=$("$q" --version 2>/dev/null | sed -n 's/^qemu-i386[^0-9]* \([0-9]*\)\..*/\1/p')
        if [ "${major:-0}" -ge 8 ] && orbela_probe32 "$q"; then
            printf '%s\n' "$q"
            return 0
        fi
    done
    return 1
}

# "native", "qemu <path of qemu-i386>", or "none: <why>".
orbela_route32() {
    local q
    if [ ! -x "$ORBELA_WINE32_LOADER" ]; then
        echo "none: Wine's 32-bit loader $ORBELA_WINE32_LOADER (package wine32:i386) is not installed"
    elif orbela_probe32 env; then
        echo native
    elif q=$(orbela_qemu_i386); then
        echo "qemu $q"
    else
        echo "none: this kernel does not run 32-bit programs, and no qemu-i386 of version 8 or later is installed"
    fi
}

# True when 32-bit programs run here, with ORBELA_ROUTE32 set to the route;
# otherwise says why what $1 names cannot run, and is false.
orbela_need_route32() {
    ORBELA_ROUTE32=$(orbela_route32)
    [ "${ORBELA_ROUTE32%%:*}" != none ] && return 0
    echo "$1 cannot run here: ${ORBELA_ROUTE32#none: }" >&2
    return 1
}
