#!/usr/bin/env bash
# Installs what is missing, builds, and starts kelto.exe on the demo workspace.
# With a display ($DISPLAY) the program runs until you close it. Without one it runs under
# Xvfb: a screenshot of the screen is saved to build/kelto-screenshot.png and the program
# is closed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/arch.sh"
kelto_say_arch run-demo.sh
build=${KELTO_BUILD:-$root/build}
"$root/scripts/install.sh" || exit 1
"$root/scripts/build.sh" kelto winctl sdk_make bdx bdxlnk bdxlib || exit 1

workspace=$build/demo-workspace
mkdir -p "$workspace"
cp -r "$root/demo/." "$workspace/"
# The compiler system of the build (build/sdk: make, bdx, bdxlnk, bdxlib, include, lib) is the
# compiler root, registered in a settings file of the workspace's own, so the user's registry
# is left alone.
winpath=$(printf 'Z:%s' "$build" | sed 's|/|\\\\|g')
printf 'K\tSoftware\\\\bdx\\\\Compiler\nV\tincludepath\t%s\\\\sdk\\\\include\n' "$winpath" \
    > "$workspace/settings.txt"
export KELTO_SETTINGS="$(printf 'Z:%s/settings.txt' "$workspace" | sed 's|/|\\|g')"
export KELTO_WINEPREFIX=$build/wineprefix-gui
wine_run=$root/scripts/wine-run.sh
"$wine_run" --prepare
cd "$workspace" || exit 1
# The compiler tools reach the host compiler through the service, for as long as kelto runs
# (on a free port, so that a service of the tests or of another run is not in the way).
KELTO_CC_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export KELTO_CC_PORT KELTO_CC_PIDFILE=$build/demo-cc-service.pid
"$root/scripts/cc-service.sh" start || exit 1
stop_service() { "$root/scripts/cc-service.sh" stop; }

if [ -n "${DISPLAY:-}" ]; then
    "$wine_run" "$build/kelto.exe" list.h list.c main.c
    status=$?
    stop_service
    exit $status
fi

screenshot=$build/kelto-screenshot.png
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; stop_service' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done

"$wine_run" "$build/kelto.exe" list.h list.c main.c &
kelto=$!
if ! "$wine_run" "$build/tools/winctl.exe" wait clMDIFrame 60 >/dev/null; then
    echo "run-demo: the kelto window did not appear" >&2
    kill $kelto 2>/dev/null
    exit 1
fi
sleep 2
xwd -root -silent | convert xwd:- png:"$screenshot"
"$wine_run" "$build/tools/winctl.exe" close clMDIFrame
wait $kelto
status=$?
WINEPREFIX=$KELTO_WINEPREFIX wineserver -w   # let Wine leave the display before it goes
echo "run-demo: kelto.exe ran on $workspace and exited with $status; screenshot: $screenshot"
exit $status
