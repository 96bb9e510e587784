#!/usr/bin/env bash
# Starts or stops the compiler service (tools/sdk/service/kelto-cc-service.py) that the
# Windows-side compiler tools use under Wine.
#   cc-service.sh start|stop
# Port: KELTO_CC_PORT (default 47011). Wine prefix whose drives it maps: KELTO_WINEPREFIX
# (default <build>/wineprefix). Pid file: KELTO_CC_PIDFILE (default <build>/cc-service.pid),
# with the build directory KELTO_BUILD (default build/).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
port=${KELTO_CC_PORT:-47011}
pidfile=${KELTO_CC_PIDFILE:-$build/cc-service.pid}
case "${1:-}" in
start)
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
        echo "cc-service.sh: already running (pid $(cat "$pidfile"))" >&2
        exit 0
    fi
    mkdir -p "$(dirname "$pidfile")"
    log=${pidfile%.pid}.log
    WINEPREFIX=${KELTO_WINEPREFIX:-$build/wineprefix} KELTO_CC_PORT=$port \
        python3 "$root/tools/sdk/service/kelto-cc-service.py" >"$log" 2>&1 &
    echo $! > "$pidfile"
    # Ready when it says so; it fails at once when the port is taken.
    for _ in $(seq 100); do
        grep -q listening "$log" 2>/dev/null && exit 0
        kill -0 "$(cat "$pidfile")" 2>/dev/null || break
        sleep 0.1
    done
    echo "cc-service.sh: the service did not start on 127.0.0.1:$port:" >&2
    cat "$log" >&2
    rm -f "$pidfile"
    exit 1 ;;
stop)
    [ -f "$pidfile" ] || exit 0
    kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile"
    exit 0 ;;
*)
    echo "usage: cc-service.sh start|stop" >&2
    exit 2 ;;
esac
