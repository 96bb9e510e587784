#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix, quietly.
# The prefix (KELTO_WINEPREFIX, default build/wineprefix) is created on first use.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${KELTO_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32 2>/dev/null
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1
            wineserver -w
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
