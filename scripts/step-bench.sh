#!/usr/bin/env bash
# Times one source-level step (over and into) of a program under kelto's debug engine in Wine,
# median of 100, against gdb stepping the same program built natively, in the same run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" stepbench bdx bdxlnk
dir=$build/step-bench
rm -rf "$dir"
mkdir -p "$dir"
cat > "$dir/loop.c" <<'C'
int g(int x) {
    int y = x + 1;
    return y;
}
int main(void) {
    int s = 0, i;
    for (i = 0; i < 100000; i++) {
        s = g(s);
        s = s ^ i;
    }
    return s & 0x7f;
}
C
export KELTO_WINEPREFIX=$build/wineprefix
cd "$dir"
"$root/tests/sdk/with-cc-service.sh" bash -c \
    "'$root/scripts/wine-run.sh' '$build/sdk/bin/bdx.exe' -c -g2 loop.c &&
     '$root/scripts/wine-run.sh' '$build/sdk/bin/bdxlnk.exe' -subsystem console -o LOOP.EXE loop.obj"
echo "kelto (Wine):"
"$root/scripts/wine-run.sh" "$build/bench/stepbench.exe" 'LOOP.EXE'
if command -v gdb >/dev/null && command -v gcc >/dev/null; then
    gcc -g -O0 -o loop-native loop.c
    echo "gdb (native):"
    gdb -q -batch -ex 'break main' -ex run -ex 'python
import time
for command in ("next", "step"):
    times = []
    for i in range(100):
        start = time.perf_counter()
        gdb.execute(command, to_string=True)
        times.append(time.perf_counter() - start)
    times.sort()
    print("%-9s 100 steps: median %.3f ms, mean %.3f ms" % (command, times[50] * 1e3, sum(times) / 100 * 1e3))
' ./loop-native 2>&1 | grep -E "steps:"
fi
