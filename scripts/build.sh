#!/usr/bin/env bash
# Configures and builds into build/ (or $KELTO_BUILD). Extra arguments are make targets.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
mkdir -p "$build"
cmake -S "$root" -B "$build" -G "Unix Makefiles" >/dev/null
cmake --build "$build" -j"$(nproc)" -- "$@" >/dev/null || {
    # Show the compiler's complaints when the quiet build fails.
    cmake --build "$build" -j1 -- "$@"
    exit 1
}
