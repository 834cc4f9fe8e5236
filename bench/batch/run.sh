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
# reported, with the processor time each case took.
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

# Prints the milliseconds COMMAND takes, after a sync, and adds the
# processor time it took (user and system, its threads and children) to
# cpu[CASE].
declare -A cpu
time_once() {
    local case=$1 times
    shift
    sync
    times=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null; } 2>&1 )
    read -r real user system <<<"$times"
    cpu[$case]+="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%d", (u + s) * 1000 }') "
    awk -v r="$real" 'BEGIN { printf "%d", r * 1000 }'
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

declare -A samples ms cpu_ms
declare -A run_of=([copy]=copy_and_sync [convert]=convert_site [floor]=least_work [recursive]=convert_recursive)
for round in $(seq "$ROUNDS"); do
    cp -r "$WORK/site" "$WORK/work-$round"
    cp -r "$WORK/site" "$WORK/floor-$round"
    cp -r "$WORK/site" "$WORK/recursive-$round"
    for case in copy convert floor recursive; do
        time_once "$case" "${run_of[$case]}" "$round" >"$WORK/ms"
        samples[$case]+="$(cat "$WORK/ms") "
    done
done
for case in copy convert floor recursive; do
    ms[$case]=$(median <<<"${samples[$case]}")
    cpu_ms[$case]=$(median <<<"${cpu[$case]}")
done
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
echo "(wall time; processor time of all its threads and children in brackets)"
# One line per case: its times and its ratio to copying the tree.
report() {
    awk -v label="$1" -v t="${ms[$2]}" -v p="${cpu_ms[$2]}" -v c="${ms[copy]}" -v note="${3:-}" 'BEGIN {
        if (c <= 0) c = 1
        printf "%-34s %6d ms (%4d ms)   ratio %5.2f %s\n", label ":", t, p, t / c, note }'
}
report "cp -r site copy && sync" copy
report "sorvane-cli convert (backups)" convert "(target <= 1.5)"
report "the same with --recursive SITE" recursive
report "least durable work (no checks)" floor "(the floor of any durable run)"
awk -v h="$half_script_bytes" -v f="$full_script_bytes" -v n="$PAGES" 'BEGIN {
    printf "script bytes, %d pages: %d; %d pages: %d; ratio %.3f (linear: 2)\n", n / 2, h, n, f, f / (h > 0 ? h : 1) }'
