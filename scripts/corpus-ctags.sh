#!/usr/bin/env bash
# Writes, beside the scanner's corpus files, the functions that universal-ctags finds in each
# of them and in the demo sources: one "name line" per function, by line. The browse tests
# compare the scanner's lists with these files, so they need no ctags themselves; run this
# again after changing a corpus file.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=$root/tests/browse/corpus
if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
    echo "corpus-ctags.sh: universal-ctags is needed (Debian package universal-ctags)" >&2
    exit 1
fi
for source in "$corpus"/*.c "$root"/demo/*.c; do
    name=$(basename "$source" .c)
    case $source in "$root"/demo/*) name=demo-$name ;; esac
    ctags -x --c-kinds=f --language-force=C -f - "$source" | awk '{ print $1, $3 }' | sort -s -k2,2n \
        > "$corpus/$name.ctags"
done
