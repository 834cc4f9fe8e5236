#!/usr/bin/env bash
# A short libFuzzer run of the page rewriting and the flattening, seeded with
# the golden pages. Inputs that crash it are kept in WORK_DIR.
#
# usage: fuzzPageRewrite.sh FUZZER GOLDEN_DIR WORK_DIR SECONDS
set -euo pipefail

fuzzer=$1
golden=$2
work=$3
seconds=$4

corpus="$work/corpus"
mkdir -p "$corpus"
for page in "$golden"/*/page.htm; do
    cp "$page" "$corpus/$(basename "$(dirname "$page")").htm"
done
cd "$work"
exec "$fuzzer" -max_total_time="$seconds" -malloc_limit_mb=256 -print_final_stats=1 "$corpus"
