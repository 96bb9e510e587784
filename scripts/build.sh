#!/usr/bin/env bash
# Configures and builds into build/ (or $KELTO_BUILD). Extra arguments are make targets.
# The architecture comes from scripts/arch.sh; a build tree made for the other one is
# emptied and made again, Wine prefixes included, since neither can serve both.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/arch.sh"
kelto_say_arch build.sh
build=${KELTO_BUILD:-$root/build}
cache=$build/CMakeCache.txt
if [ -f "$cache" ] && ! grep -qx "KELTO_ARCH:STRING=$KELTO_ARCH" "$cache"; then
    echo "build.sh: $build was made for another architecture; building it again" >&2
    find "$build" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
fi
mkdir -p "$build"
cmake -S "$root" -B "$build" -G "Unix Makefiles" -DKELTO_ARCH="$KELTO_ARCH" >/dev/null
cmake --build "$build" -j"$(nproc)" -- "$@" >/dev/null || {
    # Show the compiler's complaints when the quiet build fails.
    cmake --build "$build" -j1 -- "$@"
    exit 1
}
