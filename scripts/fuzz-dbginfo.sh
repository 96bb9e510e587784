#!/usr/bin/env bash
# Fuzzes the debug information reader (src/debugger/Debug{Info,Lookup,Types}.cpp) natively
# with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, built with clang straight
# from the sources. Not part of the test run.
#
# Usage: scripts/fuzz-dbginfo.sh [-runs=N]   (default 1000000 inputs)
# Work directory: $KELTO_FUZZ_DIR (default /tmp/kelto-fuzz-dbginfo): the programs, the
# corpus (seeded with the tests' synthetic images), crashes/ with each crashing input, and
# fuzz.log. A crash is kept and the fuzzer goes on with the inputs left, up to 20 crashes.
# Prints the inputs tried and the crashes found; exits 1 when there were crashes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=1000000
for arg in "$@"; do
    case $arg in
        -runs=*) runs=${arg#-runs=} ;;
        *) echo "usage: $0 [-runs=N]" >&2; exit 2 ;;
    esac
done
work=${KELTO_FUZZ_DIR:-/tmp/kelto-fuzz-dbginfo}
mkdir -p "$work/corpus" "$work/crashes"
cxx=${CXX_FUZZ:-clang++}
sources="$root/src/debugger/DebugInfo.cpp $root/src/debugger/DebugLookup.cpp $root/src/debugger/DebugTypes.cpp"
# shellcheck disable=SC2086
"$cxx" -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/src" -I"$root/tests" $sources "$root/tests/fuzz/DebugInfoFuzz.cpp" -o "$work/dbginfo-fuzz"
"$cxx" -std=c++17 -O1 -I"$root/src" -I"$root/tests" "$root/tests/fuzz/DebugInfoSeeds.cpp" -o "$work/dbginfo-seeds"
"$work/dbginfo-seeds" "$work/corpus"

tried=0
crashes=0
: > "$work/fuzz.log"
while [ "$tried" -lt "$runs" ] && [ "$crashes" -lt 20 ]; do
    status=0
    "$work/dbginfo-fuzz" -runs=$((runs - tried)) -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=256 \
        -print_final_stats=1 -artifact_prefix="$work/crashes/" "$work/corpus" > "$work/run.log" 2>&1 || status=$?
    cat "$work/run.log" >> "$work/fuzz.log"
    done_now=$(grep 'stat::number_of_executed_units' "$work/run.log" | tail -1 | awk '{print $2}')
    # A run that stopped before its statistics still tried the input that stopped it.
    tried=$((tried + ${done_now:-1}))
    [ "$status" = 0 ] && break
    crashes=$((crashes + 1))
    echo "fuzz-dbginfo: crash $crashes after $tried inputs:" \
        "$(grep -m1 -E 'ERROR: |runtime error: ' "$work/run.log")" >&2
    grep -m1 'Test unit written' "$work/run.log" >&2 || true
done
echo "fuzz-dbginfo: $tried inputs tried, $crashes crashes (log and crashing inputs in $work)"
[ "$crashes" = 0 ]
