#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzz target for SECONDS, one after the other, on a copy of its
# saved inputs, the written seeds and the kept coverage set (new inputs it
# finds stay in BUILD/fuzz/corpus, not in the tree; keep-coverage.sh keeps
# the ones that reach new edges). A broken property or a sanitizer
# report stops with the input in BUILD/fuzz/findings.
#   run-fuzzers.sh BUILD SECONDS [TARGET...]
# Inputs are kept to FUZZ_MAX_LEN bytes (default 4096): the parsers' loops
# show at that size, and each run stays fast. The saved inputs are replayed
# whole by `make test`.
set -eu
max_len=${FUZZ_MAX_LEN:-4096}
# A unit running longer than this many seconds is a hang (raise it on a
# loaded machine: the clock is the wall clock).
timeout=${FUZZ_TIMEOUT:-10}
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=${*:-$(ls "$here/corpus")}
mkdir -p "$build/fuzz/findings"
status=0
for t in $targets; do
    work="$build/fuzz/corpus/$t"
    mkdir -p "$work"
    cp -n "$here/corpus/$t/"* "$here/coverage/$t/"* "$work/" 2>/dev/null || true
    echo "== $t: $seconds s"
    if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -max_len="$max_len" -timeout="$timeout" -rss_limit_mb=2048 \
            -artifact_prefix="$build/fuzz/findings/$t-" "$work" 2>"$build/fuzz/$t.log"; then
        tail -n 40 "$build/fuzz/$t.log"
        echo "== $t: FOUND a fault, input in $build/fuzz/findings/"
        status=1
        continue
    fi
    grep -E '^stat::number_of_executed_units|^Done ' "$build/fuzz/$t.log" || true
done
exit $status
