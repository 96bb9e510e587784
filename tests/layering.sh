#!/usr/bin/env bash
# Fails when a source file includes from a folder above its own. The folders of src/ are
# layers, in this order; a file may include from its own folder and the folders before it.
# platform/ includes nothing of Kelto's, and nothing includes app/ but app/ itself.
# Usage: layering.sh [source root]; prints each offending file and include.
set -u
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
layers=(platform base settings lib ui editor project browse debugger cms binedit app res)

rank() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

status=0
while IFS= read -r file; do
    rel=${file#"$src"/}
    folder=${rel%%/*}
    own=$(rank "$folder")
    if [ "$own" -lt 0 ]; then
        echo "$rel: the folder '$folder' is not a layer"
        status=1
        continue
    fi
    while IFS= read -r include; do
        target=${include%%/*}
        [ "$target" = "$include" ] && target=$folder   # a name without a folder: its own
        theirs=$(rank "$target")
        if [ "$theirs" -lt 0 ] || [ "$theirs" -gt "$own" ] ||
           { [ "$folder" = platform ] && [ "$target" != platform ]; }; then
            echo "$rel: includes \"$include\" from a layer above its own"
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sort)
[ "$status" = 0 ] && echo "layering: every include goes down"
exit "$status"
