#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Adds to coverage/<target> in the tree the fewest inputs from the grown
# corpus BUILD/fuzz/corpus/<target> that reach edges the written seeds
# (corpus/<target>) and the inputs kept already do not.
#   keep-coverage.sh BUILD [TARGET...]
# Kept inputs stay, so a second run with nothing new changes nothing. Edges
# count once however often they run (-use_counters=0), so the set stays
# small enough to replay in every `make test`.
set -eu
build=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
targets=${*:-$(ls "$here/corpus")}
max_len=${FUZZ_MAX_LEN:-4096}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for t in $targets; do
    [ -d "$build/fuzz/corpus/$t" ] || { echo "== $t: nothing grown in $build/fuzz/corpus/$t"; continue; }
    rm -rf "$tmp/held"
    mkdir -p "$tmp/held" "$here/coverage/$t"
    # What is held already counts as reached: the merge copies in only the
    # grown inputs that reach more.
    cp "$here/corpus/$t/"* "$here/coverage/$t/"* "$tmp/held/" 2>/dev/null || true
    ls "$tmp/held" >"$tmp/before"
    "$build/fuzz/fuzz_$t" -merge=1 -use_counters=0 -max_len="$max_len" -timeout=60 -rss_limit_mb=2048 \
        "$tmp/held" "$build/fuzz/corpus/$t" >"$build/fuzz/$t.keep.log" 2>&1 ||
        { tail -n 20 "$build/fuzz/$t.keep.log"; echo "== $t: the merge failed, coverage/$t unchanged"; exit 1; }
    added=0
    for f in "$tmp/held/"*; do
        grep -qxF "$(basename "$f")" "$tmp/before" && continue
        cp "$f" "$here/coverage/$t/"
        added=$((added + 1))
    done
    echo "== $t: $added inputs added, $(ls "$here/coverage/$t" | wc -l) kept"
done
