#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix, quietly.
# "wine-run.sh --prepare" only makes sure the prefix exists.
# The prefix (KELTO_WINEPREFIX, default build/wineprefix) is created once, on first use.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${KELTO_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32 2>/dev/null
if [ ! -f "$WINEPREFIX/.kelto-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.kelto-ready" ]; then
            wineboot -i >/dev/null 2>&1
            # Wine draws the window frames itself: there is no window manager under Xvfb.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.kelto-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
[ "${1:-}" = --prepare ] && exit 0
exec wine "$@"
