#!/usr/bin/env bash
# Times the difference engine against diff -n on two 100,000-line C files with 1% and 30% of
# their lines changed: the time and the number of changed lines of each.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" diffbench
dir=$build/diff-bench
mkdir -p "$dir"
python3 - "$root/demo" "$dir" <<'PY'
import random, sys, pathlib
demo, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
base = []
for name in ("main.c", "list.c", "list.h"):
    base += (demo / name).read_text().splitlines()
random.seed(1)
lines = []
while len(lines) < 100000:
    lines += [l.replace("list", "list%d" % (len(lines) // 500)) for l in base]
lines = lines[:100000]
(out / "a.c").write_text("\n".join(lines) + "\n")
for percent in (1, 30):
    b = []
    for l in lines:
        r = random.random() * 100
        if r < percent / 3:
            continue
        if r < percent * 2 / 3:
            b.append("inserted %d;" % random.randrange(1000))
        elif r < percent:
            l = l + " /* changed */"
        b.append(l)
    (out / ("b%d.c" % percent)).write_text("\n".join(b) + "\n")
PY
win() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
for percent in 1 30; do
    start=$(date +%s.%N)
    changed=$(diff -n "$dir/a.c" "$dir/b$percent.c" | awk '/^[ad][0-9]+ [0-9]+$/ { split($0, p, " "); n += p[2] } END { print n }')
    end=$(date +%s.%N)
    printf '%2d%%: diff -n      %.3f s, %s changed lines\n' "$percent" "$(echo "$end - $start" | bc)" "$changed"
    printf '%2d%%: engine      ' "$percent"
    "$root/scripts/wine-run.sh" "$build/bench/diffbench.exe" "$(win "$dir/a.c")" "$(win "$dir/b$percent.c")"
done
rm -rf "$dir"
