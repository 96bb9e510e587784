#!/usr/bin/env bash
# Runs a command with the compiler service listening on a free loopback port (exported as
# KELTO_CC_PORT) and stops the service afterwards. Pid file: KELTO_CC_PIDFILE.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
KELTO_CC_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export KELTO_CC_PORT
"$root/scripts/cc-service.sh" start || exit 1
"$@"
status=$?
"$root/scripts/cc-service.sh" stop
exit $status
