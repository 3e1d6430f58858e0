#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark against its command-line counterpart and prints the
# figures. Usage: bench/run-all.sh BUILD_DIR [DIR on a disk file system]
# The sweep and free-space benchmarks need root (they make and mount
# volumes); run as an ordinary user they say so and are skipped.
set -uo pipefail
build=${1:-build}
dir=${2:-/var/tmp}
status=0
echo "== wiping one 512 MiB file (wipe_bench, in $dir)"
"$build/bench/wipe_bench" "$dir" 512 3 || status=1
echo
echo "== sweeping 20,000 small files on a fresh, cold ext4 volume (sweep_bench, image in $dir)"
"$build/bench/sweep_bench" "$dir" 5 || status=1
echo
echo "== the same sweep against its floor, a bare C loop, alone and in more pairs (sweep_bench ... floor)"
"$build/bench/sweep_bench" "$dir" 15 floor || status=1
echo
echo "== the same sweep with its batches bounded in time and not (sweep_bench ... bound)"
"$build/bench/sweep_bench" "$dir" 21 bound || status=1
echo
echo "== the record, the preview and the report (record_bench, in $dir)"
"$build/bench/record_bench" "$dir"
echo
echo "== the file-type list and the settings file at their sizes (parser_bench)"
"$build/bench/parser_bench" || status=1
echo
echo "== filling a 1 GiB tmpfs (free_space_bench, needs root)"
"$build/bench/free_space_bench" 5 || status=1
exit $status
