#!/usr/bin/env bash
# Times the editor's search over a 50 MB document against grep -c on the same file.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD:-$root/build}
"$root/scripts/build.sh" searchbench
file=$build/search-bench.txt
"$root/scripts/wine-run.sh" "$build/tests/searchbench.exe" "$(printf 'Z:%s' "$file" | sed 's|/|\\|g')"
for pattern in 'list_append' 'l[a-z_]*h\(' 'printf|return|struct'; do
    start=$(date +%s.%N)
    count=$(LC_ALL=C grep -c -E -- "$pattern" "$file" || true)
    end=$(date +%s.%N)
    printf 'grep -c %-20s %9s lines   %8.3f s\n' "$pattern" "$count" "$(echo "$end - $start" | bc)"
done
rm -f "$file"
