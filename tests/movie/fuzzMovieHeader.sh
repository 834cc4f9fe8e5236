#!/usr/bin/env bash
# A short libFuzzer run of the movie header reader, seeded with a movie of
# each signature. Inputs that crash it are kept in WORK_DIR.
#
# usage: fuzzMovieHeader.sh FUZZER MAKE_MOVIE WORK_DIR SECONDS
set -euo pipefail

fuzzer=$1
make_movie=$2
work=$3
seconds=$4

corpus="$work/corpus"
mkdir -p "$corpus"
"$make_movie" "$corpus/seed.fws" FWS 550 400 ff0000
"$make_movie" "$corpus/seed.cws" CWS 640 480 00ff00
"$make_movie" "$corpus/seed.zws" ZWS 1 1 0000ff
cd "$work"
exec "$fuzzer" -max_total_time="$seconds" -malloc_limit_mb=64 -print_final_stats=1 "$corpus"
