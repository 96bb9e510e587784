#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
# The build of the other architecture is compiled too (not run), so that the code stays
# clean for both. The last line printed is CTest's summary line.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/arch.sh"
kelto_say_arch test.sh
build=${KELTO_BUILD:-$root/build}
"$root/scripts/install.sh" || exit 1
"$root/scripts/build.sh" || exit 1
if [ "$KELTO_ARCH" = i686 ]; then other=x86_64; else other=i686; fi
KELTO_ARCH=$other KELTO_ARCH_WHY="compiled only, to keep both architectures clean" \
    KELTO_BUILD=$build/$other-check "$root/scripts/build.sh" || exit 1
# Create the Wine prefixes before the tests start side by side.
for prefix in wineprefix wineprefix-gui; do
    KELTO_WINEPREFIX=$build/$prefix "$root/scripts/wine-run.sh" --prepare
done
cd "$build" || exit 1
log=$(mktemp)
ctest --output-on-failure -j"$(nproc)" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
grep -E '^[0-9]+% tests passed' "$log" | tail -n 1
rm -f "$log"
exit "$status"
