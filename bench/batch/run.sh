#!/usr/bin/env bash
# Times one sorvane-cli convert run over a generated site of PAGES pages (with
# backups, as by default), given as page names and as the folder with
# --recursive, side by side with copying the same tree and syncing it
# (cp -r site copy && sync) and with the least work any durable conversion
# does (least_durable_work), and checks that the script files grow linearly
# with the number of pages.
#
#   bench/batch/run.sh [BUILD_DIR]     (default: build)
#
# PAGES (default 2000) pages of about 60 KB with 0-4 movie blocks each, made
# in a scratch folder (BENCH_DIR, default a new folder under ${TMPDIR:-/tmp})
# and removed afterwards. ROUNDS (default 5) runs per case; the median is
# reported.
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/timing.sh "$@"
MAKE_SITE=$BUILD_DIR/bench/batch/make_bench_site
FLOOR=$BUILD_DIR/bench/batch/least_durable_work
PAGES=${PAGES:-2000}
ROUNDS=${ROUNDS:-5}
require_built "$CLI" "$MAKE_SITE" "$FLOOR"
# least_durable_work holds two files of every page open at once.
ulimit -n "$(ulimit -Hn)"
make_work_dir sorvane-batch

# Prints the milliseconds COMMAND takes, after a sync.
time_once() {
    sync
    milliseconds_of "$@"
}

# Every round writes new trees and nothing is deleted until the end: ext4
# avoids reusing inodes freed in the last seconds, and on some set-ups
# (no journal) new files then cost a search past each of them.
copy_and_sync() { cp -r "$WORK/site" "$WORK/copy-$1" && sync; }
convert_site() { "$CLI" convert "$WORK/work-$1"/*/*.htm; }
convert_recursive() { "$CLI" convert --recursive "$WORK/recursive-$1"; }
least_work() { "$FLOOR" "$WORK/floor-$1"/*/*.htm; }
script_bytes() { find "$1" -name '*.js' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }

"$MAKE_SITE" "$PAGES" "$WORK/site"
site_bytes=$(du -sb "$WORK/site" | cut -f1)

declare -A samples
for round in $(seq "$ROUNDS"); do
    cp -r "$WORK/site" "$WORK/work-$round"
    cp -r "$WORK/site" "$WORK/floor-$round"
    cp -r "$WORK/site" "$WORK/recursive-$round"
    samples[copy]+="$(time_once copy_and_sync "$round") "
    samples[convert]+="$(time_once convert_site "$round") "
    samples[floor]+="$(time_once least_work "$round") "
    samples[recursive]+="$(time_once convert_recursive "$round") "
done
copy_ms=$(median <<<"${samples[copy]}")
convert_ms=$(median <<<"${samples[convert]}")
floor_ms=$(median <<<"${samples[floor]}")
recursive_ms=$(median <<<"${samples[recursive]}")
full_script_bytes=$(script_bytes "$WORK/work-1")

# The same run over the first half of the pages: the script files of twice
# the pages should take twice the bytes.
half=$(( PAGES / 2 ))
find "$WORK/site" -name '*.htm' | sort | awk -v n="$half" 'NR <= n' | while read -r page; do
    folder=$WORK/half/$(basename "$(dirname "$page")")
    mkdir -p "$folder" && cp "$page" "$folder/"
done
"$CLI" convert "$WORK"/half/*/*.htm >/dev/null
half_script_bytes=$(script_bytes "$WORK/half")

echo "== $PAGES pages, $(( site_bytes / 1024 / 1024 )) MiB, 0-4 blocks each ($ROUNDS rounds, median)"
awk -v c="$copy_ms" -v v="$convert_ms" -v r="$recursive_ms" -v f="$floor_ms" 'BEGIN {
    if (c <= 0) c = 1
    printf "cp -r site copy && sync:          %6d ms\n", c
    printf "sorvane-cli convert (backups):    %6d ms   ratio %5.2f (target <= 1.5)\n", v, v / c
    printf "the same with --recursive SITE:   %6d ms   ratio %5.2f\n", r, r / c
    printf "least durable work (no checks):   %6d ms   ratio %5.2f (the floor of any durable run)\n", f, f / c }'
awk -v h="$half_script_bytes" -v f="$full_script_bytes" -v n="$PAGES" 'BEGIN {
    printf "script bytes, %d pages: %d; %d pages: %d; ratio %.3f (linear: 2)\n", n / 2, h, n, f, f / (h > 0 ? h : 1) }'
