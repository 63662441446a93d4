#!/bin/sh
# Runs the build's Windows programs under Wine, in a private prefix of the build tree.
#   wine.sh setup [DESKTOP]
#                     create the prefix on first use, restore its registry as it was
#                     created, start wineserver and, when no display is set, an
#                     Xvfb display of our own; DESKTOP, the build's wine-desktop.exe,
#                     keeps Wine's desktop open until cleanup
#   wine.sh run PROGRAM [ARGS...]
#   wine.sh cleanup   stop wineserver and the Xvfb display we started
# State lives in $VENNOX_WINE_DIR: prefix/, registry/ (the prefix's registry as
# created), display (number), xvfb.pid, desktop (DESKTOP's line once it is up).
# VENNOX_WINE_WIDTH, 32 or 64: the width of the programs it runs, which picks
# the Wine loader (below).
set -u
state=${VENNOX_WINE_DIR:?VENNOX_WINE_DIR must name the build tree\'s wine state directory}
mkdir -p "$state"

export WINEPREFIX="$state/prefix"
pristine="$state/registry"
# wine64 runs 64-bit programs without the 32-bit loader; 32-bit ones need it.
case ${VENNOX_WINE_WIDTH:-} in
32) loader=wine ;;
64) loader=wine64
    [ -x /usr/lib/wine/wine64 ] && loader=/usr/lib/wine/wine64 ;;
*)  echo "wine.sh: VENNOX_WINE_WIDTH must be 32 or 64, not '${VENNOX_WINE_WIDTH:-}'" >&2
    exit 2 ;;
esac
# Quiet, except for what explains a program that does not start or dies.
export WINEDEBUG=${WINEDEBUG:--all,err+module,err+seh}
# No Mono or Gecko installer prompts in a test prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

use_display() {
    if [ -z "${DISPLAY:-}" ] && [ -s "$state/display" ]; then
        DISPLAY=":$(cat "$state/display")"
        export DISPLAY
    fi
}

start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    if [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
        return 0
    fi
    rm -f "$state/display" "$state/xvfb.pid"
    # -displayfd picks a free display and writes its number once it accepts clients.
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
        3>"$state/display" </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    i=0
    while [ ! -s "$state/display" ]; do
        i=$((i + 1))
        [ $i -gt 100 ] && { echo "Xvfb did not start" >&2; return 1; }
        sleep 0.1
    done
}

# Wine closes its desktop a second after the last program on it ends; the
# next program that needs it starts the desktop process again, and that
# process holds the program's error output open until the desktop closes, so
# that ctest waits for the program while other tests keep the desktop in use.
# DESKTOP stays on the desktop, detached, until wineserver ends it.
keep_desktop() {
    rm -f "$state/desktop"
    setsid "$loader" "$1" </dev/null >"$state/desktop" 2>/dev/null &
    i=0
    while [ ! -s "$state/desktop" ]; do
        i=$((i + 1))
        [ $i -gt 600 ] && { echo "the desktop did not start" >&2; return 1; }
        sleep 0.1
    done
}

# A new prefix with the test settings; its registry is kept in $pristine, so
# that every run starts without what earlier runs registered.
create_prefix() {
    rm -rf "$WINEPREFIX" "$pristine"
    echo "creating Wine prefix $WINEPREFIX"
    "$loader" wineboot -i </dev/null >/dev/null 2>&1
    # Unmanaged windows: with no window manager on the display, Wine would wait
    # two seconds for one at every top-level window it hides.
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    # A crash ends the program at once: the debugger prints the address and a
    # backtrace instead of showing its dialog and waiting for somebody.
    "$loader" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    # The server writes the registry out when it exits.
    wineserver -w
    mkdir -p "$pristine.new" && cp "$WINEPREFIX"/*.reg "$pristine.new"/ && mv "$pristine.new" "$pristine"
}

case "${1:-}" in
setup)
    start_xvfb || exit 1
    use_display
    # The registry is restored while no server holds it.
    wineserver -k 2>/dev/null
    wineserver -w
    if [ -f "$pristine/system.reg" ]; then
        cp "$pristine"/*.reg "$WINEPREFIX"/ || exit 1
    else
        create_prefix || exit 1
    fi
    # A persistent server of our own, detached from ctest's output pipes.
    setsid wineserver -p </dev/null >/dev/null 2>&1
    # Wine's own services and the desktop window start with the first program
    # that needs them and inherit its output pipes, so that ctest would wait for
    # them; start them here, detached.
    setsid "$loader" wineboot </dev/null >/dev/null 2>&1
    if [ -n "${2:-}" ]; then
        keep_desktop "$2" || exit 1
    else
        setsid "$loader" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
    fi
    ;;
run)
    shift
    use_display
    "$loader" "$@"
    rc=$?
    [ $rc = 0 ] || echo "wine.sh: $1 exited with status $rc" >&2
    exit $rc
    ;;
cleanup)
    wineserver -k 2>/dev/null
    if [ -s "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    exit 0
    ;;
*)
    echo "usage: wine.sh setup|run PROGRAM [ARGS...]|cleanup" >&2
    exit 2
    ;;
esac
