#!/usr/bin/env bash
# Times sorvane-cli convert on generated pages, side by side with writing
# its own output: cat of the converted page and its script file into new
# files and a sync of both.
#
#   bench/converter/run.sh [BUILD_DIR]     (default: build)
#
# Pages are made in a scratch folder (BENCH_DIR, default a new folder under
# ${TMPDIR:-/tmp}) and removed afterwards. ROUNDS (default 5) runs per case;
# the median is reported.
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/timing.sh "$@"
MAKE_PAGE=$BUILD_DIR/bench/converter/make_bench_page
ROUNDS=${ROUNDS:-5}
require_built "$CLI" "$MAKE_PAGE"
make_work_dir sorvane-bench

# Restores the page from ORIGINAL (untimed), then prints the milliseconds
# that COMMAND takes.
time_once() {
    local original=$1; shift
    cp "$original" "$WORK/page.htm"
    rm -f "$WORK/page.js" "$WORK/copy.htm" "$WORK/copy.js"
    sync
    milliseconds_of "$@"
}

write_output() {
    cat "$WORK/out.htm" >"$WORK/copy.htm" && cat "$WORK/out.js" >"$WORK/copy.js" && sync "$WORK/copy.htm" "$WORK/copy.js"
}
convert_page() { "$CLI" convert --no-backup "$WORK/page.htm"; }

KINDS=(ordinary unclosed noscript blanks scripts values quotes invalues)
"$MAKE_PAGE" ordinary 64 "$WORK/big.htm"
for kind in "${KINDS[@]}"; do "$MAKE_PAGE" "$kind" 8 "$WORK/$kind.htm"; done
# The output of the big page's conversion, for the writing it is measured by.
cp "$WORK/big.htm" "$WORK/out.htm"
"$CLI" convert --no-backup "$WORK/out.htm" >/dev/null

# Every round runs every case once, so that a slower moment of a shared
# machine weighs on all cases alike.
declare -A samples
for _ in $(seq "$ROUNDS"); do
    samples[copy]+="$(time_once "$WORK/big.htm" write_output) "
    samples[convert]+="$(time_once "$WORK/big.htm" convert_page) "
    for kind in "${KINDS[@]}"; do samples[$kind]+="$(time_once "$WORK/$kind.htm" convert_page) "; done
done
declare -A ms
for name in "${!samples[@]}"; do ms[$name]=$(median <<<"${samples[$name]}"); done

echo "== 64 MiB page, ~50,000 multi-line mixed-case blocks ($ROUNDS rounds, median)"
awk -v c="${ms[copy]}" -v v="${ms[convert]}" 'BEGIN {
    printf "cat new page, script + sync: %6d ms\nsorvane-cli convert:         %6d ms\nratio:                       %6.2f (target <= 1.25)\n", c, v, v / (c > 0 ? c : 1) }'
echo "== 8 MiB pages, sorvane-cli convert against the ordinary page of the same size"
for kind in "${KINDS[@]}"; do
    awk -v k="$kind" -v t="${ms[$kind]}" -v o="${ms[ordinary]}" 'BEGIN {
        printf "%-9s %6d ms   %.2f x ordinary (target <= 1.5)\n", k, t, t / (o > 0 ? o : 1) }'
done
