#!/usr/bin/env bash
# Times kelto.exe's exit after it has loaded a 50 MB C file with a comment on every line:
# from the close request until the frame window is gone, and until the process has ended.
# For comparison it times the same for a three-line file.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" kelto winctl
work=$build/exit-bench
mkdir -p "$work/bdx/include"
touch "$work/bdx/include/windows.h"
winpath=$(printf 'Z:%s' "$work" | sed 's|/|\\\\|g')
printf 'K\tSoftware\\\\bdx\\\\Compiler\nV\tincludepath\t%s\\\\bdx\\\\include\n' "$winpath" > "$work/settings.txt"
awk 'BEGIN { for (i = 0; i < 704000; i++)
    printf "    list_append(numbers, argv[%d]); /* item %d */ x = y + %d;\n", i % 10, i, i * 7 }' \
    > "$work/huge.c"
printf 'int main(void)\n{\n}\n' > "$work/small.c"

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
export KELTO_SETTINGS="$(printf 'Z:%s/settings.txt' "$work" | sed 's|/|\\|g')"
export KELTO_WINEPREFIX=$build/wineprefix-gui
run=$root/scripts/wine-run.sh
"$run" --prepare
cd "$work"
for file in huge.c small.c; do
    "$run" "$build/kelto.exe" -f "$file" &
    kelto=$!
    "$run" "$build/tools/winctl.exe" wait clMDIFrame 120 >/dev/null
    start=$(date +%s.%N)
    gone=$("$run" "$build/tools/winctl.exe" close clMDIFrame 60)
    wait $kelto
    end=$(date +%s.%N)
    printf '%-8s %9d bytes   window gone after %5s s   process ended after %5.2f s\n' \
        "$file" "$(stat -c %s "$file")" "$gone" "$(echo "$end - $start" | bc)"
done
