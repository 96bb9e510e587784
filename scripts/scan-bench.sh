#!/usr/bin/env bash
# Times the function scan of a 100,000-line C file against ctags listing its functions.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" scanbench
dir=$build/scan-bench
mkdir -p "$dir"
# The demo sources again and again, each copy's functions renamed so that every name is new.
python3 - "$root/demo" "$dir/big.c" <<'PY'
import re, sys, pathlib
demo, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
base = []
for name in ("main.c", "list.c"):
    base += (demo / name).read_text().splitlines()
lines, copy = [], 0
while len(lines) < 100000:
    lines += [re.sub(r"\b(list_\w+|main)\b", r"\g<1>_%d" % copy, l) for l in base]
    copy += 1
out.write_text("\n".join(lines[:100000]) + "\n")
PY
"$root/scripts/wine-run.sh" "$build/bench/scanbench.exe" "$(printf 'Z:%s' "$dir/big.c" | sed 's|/|\\|g')"
best=
for run in 1 2 3 4 5; do
    start=$(date +%s.%N)
    count=$(ctags -x --c-kinds=f --language-force=C "$dir/big.c" | wc -l)
    end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$took < $best" | bc)" = 1 ]; then best=$took; fi
done
printf 'ctags -x:      %8.3f s  %d functions (best of 5, reading included)\n' "$best" "$count"
