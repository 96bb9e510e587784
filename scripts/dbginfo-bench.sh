#!/usr/bin/env bash
# Times the debug information reader on a program of 200 generated source files: reading it
# and one look-up of each kind. The objects are compiled by the host compiler with the flags
# bdx -g2 gives it; bdxlnk links them (and converts the debug information) under Wine.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" debuginfobench bdxlnk
dir=$build/dbginfo-bench
rm -rf "$dir"
mkdir -p "$dir"
python3 - "$dir" <<'PY'
import sys, pathlib
out = pathlib.Path(sys.argv[1])
main = ["enum colour { RED, GREEN, BLUE };"]
for i in range(200):
    lines = ["struct record%d { int key; char name[16]; double weight; struct record%d *next; };" % (i, i),
             "enum shade%d { LIGHT%d, DARK%d };" % (i, i, i),
             "int global%d = %d;" % (i, i), "static long hidden%d;" % i]
    for j in range(5):
        lines += ["int f%d_%d(int a, struct record%d *r)" % (i, j, i), "{",
                  "    int local = a * %d;" % (j + 1), "    char buffer[8];",
                  "    enum shade%d shade = DARK%d;" % (i, i),
                  "    buffer[0] = (char)(local + shade);", "    if (r)", "        local += r->key;",
                  "    hidden%d += local + buffer[0];" % i, "    return local;", "}"]
    (out / ("file%03d.c" % i)).write_text("\n".join(lines) + "\n")
    main.append("int f%d_0(int a, void *r);" % i)
main += ["int main(void)", "{", "    int total = 0;"]
main += ["    total += f%d_0(%d, 0);" % (i, i) for i in range(200)]
main += ["    return total & 1;", "}"]
(out / "main.c").write_text("\n".join(main) + "\n")
PY
cd "$dir"
for c in *.c; do
    i686-w64-mingw32-gcc -x c -gdwarf-4 -fno-omit-frame-pointer -c "$c" -o "${c%.c}.obj" &
    [ "$(jobs -r | wc -l)" -ge 4 ] && wait -n
done
wait
export KELTO_WINEPREFIX=$build/wineprefix
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
"$root/tests/sdk/with-cc-service.sh" "$root/scripts/wine-run.sh" "$build/sdk/bin/bdxlnk.exe" \
    -subsystem console -o big.exe $(ls *.obj)
"$root/scripts/wine-run.sh" "$build/bench/debuginfobench.exe" "$(win "$dir/big.exe")" f150_3 global150 file150.c record150 DARK150
