#!/usr/bin/env bash
# Times one sorvane-cli convert run over a generated site of PAGES pages (with
# backups, as by default), given as page names and as the folder with
# --recursive, and the restore -r that undoes it, side by side with copying
# the same tree and syncing it (cp -r site copy && sync) and with the least
# work any durable conversion does (least_durable_work); times a second
# convert --recursive over the converted site beside cat of its pages, and
# checks that the script files grow linearly with the number of pages.
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

# The processor time, in clock ticks, that the whole machine has spent busy
# (user, nice, system, interrupts) on all its cores since it started.
busy_ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 }' /proc/stat; }
TICKS_PER_SECOND=$(getconf CLK_TCK)

# Prints the milliseconds COMMAND takes, after a sync, and adds the
# processor time it took (user and system, its threads and children) to
# cpu[CASE], and the machine's busy time meanwhile (the kernel's writeback,
# the journal and the disk's own threads too) to machine[CASE].
declare -A cpu machine
time_once() {
    local case=$1 times before
    shift
    sync
    before=$(busy_ticks)
    times=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null; } 2>&1 )
    machine[$case]+="$(( ($(busy_ticks) - before) * 1000 / TICKS_PER_SECOND )) "
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
# Undoes the conversion of the convert case: every page gets its backup's
# bytes back, as cp of the same bytes would, each page checked first.
restore_site() { "$CLI" restore --recursive "$WORK/work-$1"; }
# A second convert --recursive over the site the recursive case converted
# finds no block left and writes nothing: it should cost what reading every
# page costs, as cat of the same pages does.
read_pages() { cat "$WORK/recursive-$1"/*/*.htm; }
script_bytes() { find "$1" -name '*.js' -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }

"$MAKE_SITE" "$PAGES" "$WORK/site"
site_bytes=$(du -sb "$WORK/site" | cut -f1)

declare -A samples ms cpu_ms machine_ms
declare -A run_of=([copy]=copy_and_sync [convert]=convert_site [floor]=least_work [recursive]=convert_recursive
    [again]=convert_recursive [cat]=read_pages [restore]=restore_site)
# restore undoes what convert did in the round; again converts the tree
# that recursive converted, cat reads its pages
cases="copy convert floor recursive again cat restore"
for round in $(seq "$ROUNDS"); do
    cp -r "$WORK/site" "$WORK/work-$round"
    cp -r "$WORK/site" "$WORK/floor-$round"
    cp -r "$WORK/site" "$WORK/recursive-$round"
    for case in $cases; do
        time_once "$case" "${run_of[$case]}" "$round" >"$WORK/ms"
        samples[$case]+="$(cat "$WORK/ms") "
    done
done
for case in $cases; do
    ms[$case]=$(median <<<"${samples[$case]}")
    cpu_ms[$case]=$(median <<<"${cpu[$case]}")
    machine_ms[$case]=$(median <<<"${machine[$case]}")
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
cores=$(nproc)
echo "(wall time; in brackets the processor time of its threads and children, and the time the"
echo " whole machine was busy on its $cores cores: with every core busy the wall time cannot be"
echo " less than the busy time / $cores, the least ratio given last)"
# One line per case: its times, its ratio to copying the tree and the least
# ratio its busy time allows on this machine.
report() {
    awk -v label="$1" -v t="${ms[$2]}" -v p="${cpu_ms[$2]}" -v m="${machine_ms[$2]}" -v c="${ms[copy]}" \
        -v n="$cores" -v note="${3:-}" 'BEGIN {
        if (c <= 0) c = 1
        printf "%-32s %5d ms (%4d ms, machine %4d ms)  ratio %5.2f (least %4.2f) %s\n",
               label ":", t, p, m, t / c, m / n / c, note }'
}
report "cp -r site copy && sync" copy
report "sorvane-cli convert (backups)" convert "target <= 1.5"
report "the same with --recursive SITE" recursive
report "least durable work (no checks)" floor "the floor of any durable run"
report "sorvane-cli restore -r SITE" restore "pages back from their backups"
report "cat of every converted page" cat
report "convert --recursive again" again "nothing left to convert"
awk -v a="${ms[again]}" -v c="${ms[cat]}" 'BEGIN {
    printf "second convert --recursive / cat of its pages: ratio %.2f (target: about 1)\n", a / (c > 0 ? c : 1) }'
awk -v h="$half_script_bytes" -v f="$full_script_bytes" -v n="$PAGES" 'BEGIN {
    printf "script bytes, %d pages: %d; %d pages: %d; ratio %.3f (linear: 2)\n", n / 2, h, n, f, f / (h > 0 ? h : 1) }'
