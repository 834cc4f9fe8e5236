#!/usr/bin/env bash
# Times sorvane-cli convert on generated pages, side by side with copying the
# same page and syncing the copy (cp page copy && sync copy).
#
#   bench/converter/run.sh [BUILD_DIR]     (default: build)
#
# Pages are made in a scratch folder (BENCH_DIR, default a new folder under
# ${TMPDIR:-/tmp}) and removed afterwards. ROUNDS (default 9) runs per case;
# the median is reported.
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/timing.sh "$@"
MAKE_PAGE=$BUILD_DIR/bench/converter/make_bench_page
ROUNDS=${ROUNDS:-9}
require_built "$CLI" "$MAKE_PAGE"
make_work_dir sorvane-bench

# Restores the page from ORIGINAL (untimed), then prints the milliseconds
# that COMMAND takes.
time_once() {
    local original=$1; shift
    cp "$original" "$WORK/page.htm"
    rm -f "$WORK/page.js" "$WORK/copy.htm"
    sync
    milliseconds_of "$@"
}

copy_and_sync() { cp "$WORK/page.htm" "$WORK/copy.htm" && sync "$WORK/copy.htm"; }
convert_page() { "$CLI" convert --no-backup "$WORK/page.htm"; }

KINDS=(ordinary unclosed noscript blanks scripts)
"$MAKE_PAGE" ordinary 64 "$WORK/big.htm"
for kind in "${KINDS[@]}"; do "$MAKE_PAGE" "$kind" 8 "$WORK/$kind.htm"; done

# Every round runs every case once, so that a slower moment of a shared
# machine weighs on all cases alike.
declare -A samples
for _ in $(seq "$ROUNDS"); do
    samples[copy]+="$(time_once "$WORK/big.htm" copy_and_sync) "
    samples[convert]+="$(time_once "$WORK/big.htm" convert_page) "
    for kind in "${KINDS[@]}"; do samples[$kind]+="$(time_once "$WORK/$kind.htm" convert_page) "; done
done
declare -A ms
for name in "${!samples[@]}"; do ms[$name]=$(median <<<"${samples[$name]}"); done

echo "== 64 MiB page, ~50,000 multi-line mixed-case blocks ($ROUNDS rounds, median)"
awk -v c="${ms[copy]}" -v v="${ms[convert]}" 'BEGIN {
    printf "cp page copy && sync copy: %6d ms\nsorvane-cli convert:       %6d ms\nratio:                     %6.2f (target <= 2)\n", c, v, v / (c > 0 ? c : 1) }'
echo "== 8 MiB pages, sorvane-cli convert against the ordinary page of the same size"
for kind in "${KINDS[@]}"; do
    awk -v k="$kind" -v t="${ms[$kind]}" -v o="${ms[ordinary]}" 'BEGIN {
        printf "%-9s %6d ms   %.2f x ordinary (target <= 1.5)\n", k, t, t / (o > 0 ? o : 1) }'
done
