#!/usr/bin/env bash
# The difference engine against GNU diff on generated file pairs: random edits of the demo C
# sources with repeated lines, empty files, missing final line feeds, and white-space and case
# variants. Every engine script must turn the first file into the second (under the options,
# as they compare lines); the changed lines are summed next to diff -n's.
#   diff-compare.sh [pairs]   (default 3000)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
count=${1:-3000}
"$root/scripts/build.sh" diffbench >/dev/null
dir=$build/diff-compare
rm -rf "$dir"
mkdir -p "$dir"
python3 - "$root/demo" "$dir" "$count" <<'PY'
import random, sys, pathlib
demo, out, count = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), int(sys.argv[3])
base = []
for name in ("main.c", "list.c", "list.h"):
    base += (demo / name).read_text().splitlines()
random.seed(5)
def edit(lines, percent):
    result = []
    for line in lines:
        r = random.random() * 100
        if r < percent / 4:
            continue
        if r < percent / 2:
            result.append(random.choice(base))                 # a repeated line
        elif r < 3 * percent / 4:
            result.append("x = %d;" % random.randrange(20))
        elif r < percent:
            variant = random.choice([line.upper(), line.replace(" ", "  ") + " ", "\t" + line])
            result.append(variant)
            continue
        result.append(line)
    return result
def write(path, lines):
    text = "\n".join(lines)
    if lines and random.random() < 0.8:
        text += "\n"                                           # else no final line feed
    path.write_text(text)
with open(out / "pairs.txt", "w") as pairs:
    for i in range(count):
        a = edit(base * random.randint(1, 3), 30)
        if i % 50 == 0:
            a = []
        b = edit(a, random.randint(0, 40)) if i % 50 != 1 else []
        write(out / ("a%d.c" % i), a)
        write(out / ("b%d.c" % i), b)
        pairs.write("%s %s\n" % (out / ("a%d.c" % i), out / ("b%d.c" % i)))
PY
win() { sed 's|/|\\|g; s|^|Z:|; s| | Z:|'; }
win < "$dir/pairs.txt" > "$dir/pairs-win.txt"
for options in "" "-w" "-i" "-w -i"; do
    gnu=
    case "$options" in "") gnu=;; "-w") gnu=-b;; "-i") gnu=-i;; *) gnu="-b -i";; esac
    diffs=$(while read -r a b; do
        diff -n $gnu "$a" "$b" | awk '/^[ad][0-9]+ [0-9]+$/ { split($0, p, " "); n += p[2] } END { print n + 0 }'
    done < "$dir/pairs.txt" | awk '{ s += $1 } END { print s }')
    set +e
    out=$("$root/scripts/wine-run.sh" "$build/bench/diffbench.exe" --pairs "$(printf 'Z:%s' "$dir/pairs-win.txt" | sed 's|/|\\|g')" $options 2>/dev/null)
    status=$?
    set -e
    mismatches=$(printf '%s\n' "$out" | grep -c MISMATCH || true)
    engine=$(printf '%s\n' "$out" | grep -v MISMATCH | awk '{ s += $1 } END { print s + 0 }')
    printf 'options %-6s pairs %d, mismatches %d, changed lines: engine %d, diff -n %s %d, ratio %.3f\n' \
        "${options:-none}" "$count" "$mismatches" "$engine" "$gnu" "$diffs" "$(echo "$engine / $diffs" | bc -l)"
    [ "$status" = 0 ] || echo "engine exit $status"
done
rm -rf "$dir"
