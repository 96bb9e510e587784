#!/usr/bin/env bash
# Installs what building and testing Kelto needs on Debian 12. Idempotent; run as root.
# Says what is missing when it cannot install it. Both compilers are installed (the build of
# the other architecture is compiled too, so that neither rots); Wine only for the
# architecture that runs here: the 32-bit loader on hosts that run 32-bit code, wine64 on
# hosts that cannot.
set -u
. "$(dirname "$0")/arch.sh"
kelto_say_arch install.sh

need_cmds="python3 i686-w64-mingw32-gcc i686-w64-mingw32-ar i686-w64-mingw32-g++-posix i686-w64-mingw32-windres x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres cmake wine xvfb-run xdpyinfo xwd convert"
packages="g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 cmake make wine fonts-wine xvfb xauth x11-utils x11-apps imagemagick googletest dpkg-dev"
if [ "$KELTO_ARCH" = i686 ]; then
    packages="$packages wine32:i386"
else
    packages="$packages wine64"
fi
# The compiler service (tools/sdk/service) is a Python 3 script; any python3 on PATH serves.
command -v python3 >/dev/null 2>&1 || packages="$packages python3"

missing_pkgs() {
    local p out=""
    for p in $packages; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || out="$out $p"
    done
    echo "$out"
}

todo=$(missing_pkgs)
if [ -n "$todo" ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "install.sh: missing packages:$todo" >&2
        echo "install.sh: run this script as root to install them" >&2
        exit 1
    fi
    if [ "$KELTO_ARCH" = i686 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 || { echo "install.sh: cannot add the i386 architecture" >&2; exit 1; }
    fi
    # Source packages are needed later for the disassembler (binutils).
    for f in /etc/apt/sources.list.d/debian.sources; do
        if [ -f "$f" ] && ! grep -q '^Types:.*deb-src' "$f"; then
            sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
        fi
    done
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null || echo "install.sh: apt-get update reported errors" >&2
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $todo >/dev/null 2>/tmp/kelto-install.err || {
        cat /tmp/kelto-install.err >&2
        echo "install.sh: apt-get install failed for:$todo" >&2
    }
    todo=$(missing_pkgs)
    if [ -n "$todo" ]; then
        echo "install.sh: still missing after install:$todo" >&2
        exit 1
    fi
fi

for c in $need_cmds; do
    command -v "$c" >/dev/null 2>&1 || { echo "install.sh: command $c not found" >&2; exit 1; }
done
[ -x "$KELTO_WINE_LOADER" ] || { echo "install.sh: the Wine loader $KELTO_WINE_LOADER is missing" >&2; exit 1; }
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "install.sh: /usr/src/googletest is missing (package googletest)" >&2; exit 1; }
exit 0
