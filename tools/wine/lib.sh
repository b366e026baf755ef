# Sessions for tools/wine/session.sh (sourced, not run).
#
# A session is a private Wine prefix made from a template, an Xvfb of its
# own and a wineserver of its own. It stops exactly what it started, on
# every path out, and where the machine allows it in PID and mount
# namespaces of its own (orbela_pidns), whose processes all end with it.
# One 64-bit prefix runs the 64-bit build and, by the route of wine32.sh,
# the 32-bit product.
#
# Environment knobs:
#   ORBELA_WINE_DIR      where the template and the sessions live (default:
#                        build/wine of this repository, one for all builds)
#   ORBELA_KEEP_PREFIX=1 keep the session's prefix and print where it is
#   ORBELA_DISPLAY=:N    use that X display instead of starting an Xvfb
#   ORBELA_WINEDEBUG     WINEDEBUG for the session (default -all)
#   ORBELA_WINEDLLOVERRIDES  more of Wine's DLL overrides (WINEDLLOVERRIDES),
#                        read by each Wine process from its start
#   ORBELA_SCREEN        Xvfb screen geometry (default 1024x768x24)
#   ORBELA_WINE_TRACE=1  print how long each step of the session took
#   ORBELA_DESKTOP=user  windows on the display's own desktop, managed by its
#                        window manager (default: a 1024x768 Wine desktop)
#   ORBELA_DPI=120       the system's DPI, as Windows' large fonts set it, on a
#                        1600x1200 screen and Wine desktop, room for the grown
#                        windows; ORBELA.exe laid out by it, not stretched
#                        (default: 96, as Wine has it)
#   ORBELA_PIDNS=0       no namespaces: the way of machines that refuse them

ORBELA_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ORBELA_WINE=$ORBELA_LIB_DIR/wine64-czech
ORBELA_WINESERVER=/usr/lib/wine/wineserver64
. "$ORBELA_LIB_DIR/wine32.sh"

orbela_log() { printf 'wine-session: %s\n' "$*" >&2; }

# With ORBELA_WINE_TRACE=1, how long each step of a session took.
ORBELA_T0=${EPOCHREALTIME/[.,]/}
orbela_trace() {
    [ "${ORBELA_WINE_TRACE:-0}" = 1 ] || return 0
    local now=${EPOCHREALTIME/[.,]/}
    orbela_log "$(( (now - ORBELA_T0) / 1000 )) ms: $*"
}

# On the emulator route, 64-bit Wine runs from a folder of its own whose
# 32-bit loader "wine" (which 64-bit Wine looks for beside the real path of
# wine64) starts the real one under qemu-i386. Sets ORBELA_WINE64_BIN.
orbela_use_route() {
    local wdir=$1 route=$2 wow=$1/wow
    ORBELA_WINE64_BIN=/usr/lib/wine/wine64
    case $route in
    qemu\ *)
        # Renamed into place: sessions running now keep the files they have.
        mkdir -p "$wow/lib/wine" "$wow/share"
        cp /usr/lib/wine/wine64 "$wow/lib/wine/wine64.new"
        printf '#!/bin/sh\nWINELOADERNOEXEC=1 exec %s %s "$@"\n' "${route#qemu }" \
            "$ORBELA_WINE32_LOADER" >"$wow/lib/wine/wine.new"
        chmod +x "$wow/lib/wine/wine.new"
        mv -f "$wow/lib/wine/wine64.new" "$wow/lib/wine/wine64"
        mv -f "$wow/lib/wine/wine.new" "$wow/lib/wine/wine"
        ln -sfn "$ORBELA_WINESERVER" "$wow/lib/wine/wineserver"
        ln -sfn /usr/lib/x86_64-linux-gnu "$wow/lib/x86_64-linux-gnu"
        ln -sfn /usr/share/wine "$wow/share/wine"
        ORBELA_WINE64_BIN=$wow/lib/wine/wine64 ;;
    esac
    export ORBELA_WINE64_BIN
}

orbela_wine_env() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=${ORBELA_WINEDEBUG:--all}
    # No debugger on a crash: after it, Wine at times ends a crashed 64-bit
    # program with exit code 0, and a crashing test would pass.
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=${ORBELA_WINEDLLOVERRIDES:+;$ORBELA_WINEDLLOVERRIDES}"
    export WINESERVER=$ORBELA_WINESERVER
}

# Starts an Xvfb on a free display; sets ORBELA_XVFB_PID and DISPLAY.
orbela_start_xvfb() {
    local dir=$1 n
    : >"$dir/display"
    Xvfb -displayfd 3 -screen 0 "${ORBELA_SCREEN:-1024x768x24}" -nolisten tcp \
        3>"$dir/display" </dev/null >"$dir/xvfb.log" 2>&1 &
    ORBELA_XVFB_PID=$!
    for n in $(seq 500); do
        [ -s "$dir/display" ] && break
        kill -0 "$ORBELA_XVFB_PID" 2>/dev/null || break
        sleep 0.01
    done
    if [ ! -s "$dir/display" ]; then
        orbela_log "Xvfb did not start:"; cat "$dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$dir/display")"
}

# Makes the template prefix once, under a lock. Returns with the lock held
# shared in ORBELA_LOCK_FD, so that the template stays as it is while the
# caller copies it.
orbela_make_template() {
    local wdir=$1 tmpl=$1/template fd
    mkdir -p "$wdir"
    exec {fd}>"$wdir/lock"
    ORBELA_LOCK_FD=$fd
    flock "$fd"
    local version route
    route=$(orbela_route32)
    orbela_use_route "$wdir" "$route"
    # A template from another Wine would be updated again in every session;
    # one made before the 32-bit route was there cannot run 32-bit programs.
    version="$(/usr/lib/wine/wine64 --version 2>/dev/null), 32-bit: ${route%%:*}"
    if [ "$(cat "$tmpl/.orbela-ready" 2>/dev/null)" != "$version" ]; then
        orbela_log "making the template prefix in $tmpl (about 15 s, once)"
        local work=$wdir/template.new
        rm -rf "$work" "$tmpl"
        mkdir -p "$work/prefix"
        cat >"$wdir/fonts.conf" <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>false</bool></edit>
  </match>
</fontconfig>
EOF
        (
            set -e
            export FONTCONFIG_FILE=$wdir/fonts.conf
            orbela_start_xvfb "$work"
            trap 'kill "$ORBELA_XVFB_PID" 2>/dev/null; wait "$ORBELA_XVFB_PID" 2>/dev/null' EXIT
            orbela_wine_env "$work/prefix"
            "$ORBELA_WINE" wineboot -i </dev/null >"$work/wineboot.log" 2>&1
            "$ORBELA_WINESERVER" -w
            mkdir -p "$work/prefix/drive_c/windows/Fonts"
            cp /usr/share/wine/fonts/* "$work/prefix/drive_c/windows/Fonts/"
            cat >"$work/settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Control Panel\Colors]
"Menu"="200 224 248"
EOF
            "$ORBELA_WINE" regedit /S 'Z:'"${work//\//\\}"'\settings.reg' \
                </dev/null >>"$work/wineboot.log" 2>&1
            "$ORBELA_WINESERVER" -w
            grep -q '"Managed"="N"' "$work/prefix/user.reg"
            # Wine's menu colour is white, Windows' grey: a colour of its own
            # shows what is painted on it and what is not.
            grep -q '"Menu"="200 224 248"' "$work/prefix/user.reg"
            echo "$version" >"$work/prefix/.orbela-ready"
        ) || { orbela_log "template setup failed; log in $work"; exec {fd}>&-; return 1; }
        mv "$work/prefix" "$tmpl"
        rm -rf "$work"
    fi
    flock -s "$fd"
}

# Whether sessions get PID and mount namespaces of their own here: then
# every process of a session ends with its first one, and the template is
# mounted read-only inside. Elsewhere (or with ORBELA_PIDNS=0) a session's
# processes are found by their WINEPREFIX and stopped one by one.
orbela_pidns() {
    [ "${ORBELA_PIDNS:-1}" != 0 ] && unshare --pid --fork --kill-child --mount-proc true 2>/dev/null
}

# The Wine processes (the server included) running in prefix $1.
orbela_prefix_pids() {
    local e p
    for e in $(grep -lzx "WINEPREFIX=$1" /proc/[0-9]*/environ 2>/dev/null); do
        p=${e#/proc/}; p=${p%/environ}
        case $(readlink "/proc/$p/exe" 2>/dev/null) in
        /usr/lib/wine/* | */wow/lib/wine/* | */qemu-i386*) printf '%s\n' "$p" ;;
        esac
    done
}

# Removes the folders of sessions whose owner was killed outright, and stops
# what such a session outside a namespace left running: its Wine processes
# and the Xvfb it recorded.
orbela_sweep_stale() {
    local root=$1 d xpid pids
    for d in "$root"/orbela-wine.*; do
        [ -f "$d/owner" ] || continue
        kill -0 "$(cat "$d/owner")" 2>/dev/null && continue
        pids=$(orbela_prefix_pids "$d/prefix")
        [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
        xpid=$(cat "$d/xvfb.pid" 2>/dev/null)
        if [ -n "$xpid" ] && tr '\0' ' ' <"/proc/$xpid/cmdline" 2>/dev/null | grep -q "^Xvfb -displayfd"; then
            kill "$xpid" 2>/dev/null
        fi
        rm -rf "$d"
    done
}

ORBELA_WINE_DIR=${ORBELA_WINE_DIR:-$ORBELA_LIB_DIR/../../build/wine}
ORBELA_SESSION_DIR=
ORBELA_SESSION_NS=
ORBELA_XVFB_PID=
ORBELA_WINESERVER_PID=

# Makes the session's folder, owned by this process ($1: its pid).
orbela_session_dir() {
    mkdir -p "$ORBELA_WINE_DIR/sessions" || return 1
    orbela_sweep_stale "$ORBELA_WINE_DIR/sessions"
    ORBELA_SESSION_DIR=$(mktemp -d "$ORBELA_WINE_DIR/sessions/orbela-wine.XXXXXX") || return 1
    echo "$1" >"$ORBELA_SESSION_DIR/owner"
}

# Leaves the session's folder, or removes it.
orbela_session_remove() {
    if [ "${ORBELA_KEEP_PREFIX:-0}" = 1 ]; then
        rm -f "$ORBELA_SESSION_DIR/owner"
        orbela_log "kept prefix: $ORBELA_SESSION_DIR/prefix"
    else
        rm -rf "$ORBELA_SESSION_DIR"
    fi
}

orbela_session_stop() {
    [ -n "$ORBELA_SESSION_DIR" ] || return 0
    orbela_trace "stopping"
    local prefix=$ORBELA_SESSION_DIR/prefix pids
    if [ "${ORBELA_KEEP_PREFIX:-0}" = 1 ] && [ -n "$ORBELA_WINESERVER_PID" ]; then
        # Orderly, so that the registry is written out.
        WINEPREFIX=$prefix "$ORBELA_WINESERVER" -k 2>/dev/null
        WINEPREFIX=$prefix "$ORBELA_WINESERVER" -w 2>/dev/null
    fi
    # In a namespace of its own the rest ends with this process, and the
    # caller outside removes the folder.
    if [ -z "$ORBELA_SESSION_NS" ]; then
        if [ -n "$ORBELA_WINESERVER_PID" ]; then
            # The prefix is thrown away: nothing needs saving, and killing
            # outright is half a second quicker than wineserver -k.
            pids=$(orbela_prefix_pids "$prefix")
            [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
            wait "$ORBELA_WINESERVER_PID" 2>/dev/null
            WINEPREFIX=$prefix "$ORBELA_WINESERVER" -w 2>/dev/null
        fi
        if [ -n "$ORBELA_XVFB_PID" ]; then
            kill "$ORBELA_XVFB_PID" 2>/dev/null
            wait "$ORBELA_XVFB_PID" 2>/dev/null
        fi
        orbela_session_remove
    fi
    orbela_trace "stopped"
    ORBELA_SESSION_DIR=
}

# The session's prefix, $2, from the template $1. In a namespace of its own
# the template is mounted read-only and the prefix is an overlay on it, in
# which a session's writes stay; a prefix to keep, or one outside a
# namespace, is a copy.
orbela_make_prefix() {
    local tmpl=$1 prefix=$2 session=${2%/*}
    if [ -n "$ORBELA_SESSION_NS" ]; then
        mount --bind "$tmpl" "$tmpl" && mount -o remount,bind,ro "$tmpl" || return 1
        if [ "${ORBELA_KEEP_PREFIX:-0}" != 1 ]; then
            mkdir "$session/upper" "$session/work" "$prefix" &&
                mount -t overlay overlay -o "lowerdir=$tmpl,upperdir=$session/upper,workdir=$session/work" "$prefix"
            return
        fi
    fi
    cp -a "$tmpl" "$prefix"
}

# Starts a session in the folder of orbela_session_dir, or, with $1, in
# that folder as the first process of the session's own namespaces;
# exports the environment for it.
orbela_session_start() {
    ORBELA_SESSION_NS=${1:+pidns}
    ORBELA_SESSION_DIR=${1:-$ORBELA_SESSION_DIR}
    trap 'orbela_session_stop' EXIT
    trap 'orbela_session_stop; exit 130' INT
    trap 'orbela_session_stop; exit 143' TERM
    orbela_make_template "$ORBELA_WINE_DIR" || return 1
    orbela_trace "template ready"
    orbela_make_prefix "$ORBELA_WINE_DIR/template" "$ORBELA_SESSION_DIR/prefix" || return 1
    exec {ORBELA_LOCK_FD}>&-
    if [ "${ORBELA_DESKTOP:-}" = user ]; then
        # The registry as the template left it, before any Wine process reads it.
        sed -i -e '/^"Desktop"="Default"$/d' -e 's/^"Managed"="N"$/"Managed"="Y"/' \
            "$ORBELA_SESSION_DIR/prefix/user.reg"
    fi
    if [ "${ORBELA_DPI:-96}" != 96 ]; then
        sed -i -e '/^\[Control Panel\\\\Desktop\] /a "LogPixels"=dword:'"$(printf %08x "$ORBELA_DPI")" \
            -e 's/^"Default"="1024x768"$/"Default"="1600x1200"/' "$ORBELA_SESSION_DIR/prefix/user.reg"
        ORBELA_SCREEN=${ORBELA_SCREEN:-1600x1200x24}
        # Windows' MS Sans Serif for 120 DPI has every size from 8 points,
        # Wine's Central European one 8 points alone, which a 10-point dialog
        # font would then shrink to. Helv, which dialogs name for it, is a
        # font of every size instead, and the dialog grows as Windows' does.
        sed -i -e 's/^"Helv\(,0\)\{0,1\}"="MS Sans Serif/"Helv\1"="Liberation Sans/' \
            "$ORBELA_SESSION_DIR/prefix/system.reg"
        # Windows XP and 7's large fonts ("XP style" scaling): a program
        # that declares no DPI awareness lays itself out by the system's
        # DPI. Wine 10 would stretch its 96-DPI picture instead; told that
        # the program knows the system's DPI, it shows it as XP does, and
        # as Wine 8 shows every program. The 32-bit product reads it too.
        printf '\n[%s\\\\ORBELA.exe]\n"dpiAwareness"=dword:00000001\n' \
            'Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options' \
            >>"$ORBELA_SESSION_DIR/prefix/system.reg"
    fi
    orbela_trace "prefix made"
    export FONTCONFIG_FILE=$ORBELA_WINE_DIR/fonts.conf
    if [ -n "${ORBELA_DISPLAY:-}" ]; then
        export DISPLAY=$ORBELA_DISPLAY
    else
        orbela_start_xvfb "$ORBELA_SESSION_DIR" || return 1
        [ -n "$ORBELA_SESSION_NS" ] || echo "$ORBELA_XVFB_PID" >"$ORBELA_SESSION_DIR/xvfb.pid"
    fi
    orbela_trace "display $DISPLAY ready"
    orbela_wine_env "$ORBELA_SESSION_DIR/prefix"
    "$ORBELA_WINESERVER" -p -f </dev/null >/dev/null 2>&1 &
    ORBELA_WINESERVER_PID=$!
    "$ORBELA_WINE" cmd /c exit </dev/null >/dev/null 2>&1
    orbela_trace "wineserver and services up"
    export ORBELA_WINE
    return 0
}
