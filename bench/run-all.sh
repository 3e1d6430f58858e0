#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark against its command-line counterpart and prints the
# figures. Usage: bench/run-all.sh BUILD_DIR [DIR on a disk file system]
set -euo pipefail
build=${1:-build}
dir=${2:-/var/tmp}
echo "== wiping one 1 GiB file (wipe_bench, in $dir)"
"$build/bench/wipe_bench" "$dir" 1024 3
echo
echo "== sweeping 20,000 small files (sweep_bench, in $dir)"
"$build/bench/sweep_bench" "$dir"
echo
echo "== the record, the preview and the report (record_bench, in $dir)"
"$build/bench/record_bench" "$dir"
echo
echo "== filling a 1 GiB tmpfs (free_space_bench, needs root)"
"$build/bench/free_space_bench" 5
