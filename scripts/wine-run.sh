#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix, quietly.
# "wine-run.sh --prepare" only makes sure the prefix exists.
# The prefix (KELTO_WINEPREFIX, default build/wineprefix) is created once, on first use, for
# the architecture of scripts/arch.sh: 32-bit with the i686 build, 64-bit with wine64 with the
# x86_64 one. A prefix made for the other architecture is made again.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/arch.sh"
export WINEPREFIX=${KELTO_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=$KELTO_WINEARCH
export WINELOADER=$KELTO_WINE_LOADER
ready=$WINEPREFIX/.kelto-ready
if [ "$(cat "$ready" 2>/dev/null)" != "$KELTO_WINEARCH" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ "$(cat "$ready" 2>/dev/null)" != "$KELTO_WINEARCH" ]; then
            [ "${1:-}" = --prepare ] && kelto_say_arch wine-run.sh
            # A prefix of the other architecture (or a half-made one) cannot be reused.
            wineserver -k >/dev/null 2>&1
            rm -rf "$WINEPREFIX"
            "$WINELOADER" wineboot -i >/dev/null 2>&1
            # Wine draws the window frames itself: there is no window manager under Xvfb.
            "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            wineserver -w
            echo "$KELTO_WINEARCH" > "$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
[ "${1:-}" = --prepare ] && exit 0
exec "$WINELOADER" "$@"
