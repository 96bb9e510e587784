#!/usr/bin/env bash
# Times the editor's search over a 50 MB document against grep -c on the same file.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" searchbench
file=$build/search-bench.txt
"$root/scripts/wine-run.sh" "$build/bench/searchbench.exe" "$(printf 'Z:%s' "$file" | sed 's|/|\\|g')"
# The best of five runs, as the editor's figures are.
for pattern in 'list_append' 'l[a-z_]*h\(' 'printf|return|struct'; do
    best=
    for run in 1 2 3 4 5; do
        start=$(date +%s.%N)
        count=$(LC_ALL=C grep -c -E -- "$pattern" "$file" || true)
        end=$(date +%s.%N)
        took=$(echo "$end - $start" | bc)
        if [ -z "$best" ] || [ "$(echo "$took < $best" | bc)" = 1 ]; then best=$took; fi
    done
    printf 'grep -c %-20s %9s lines   %8.3f s\n' "$pattern" "$count" "$best"
done
rm -f "$file"
