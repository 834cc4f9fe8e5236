#!/usr/bin/env bash
# Times sorvane-cli on a whole site, side by side in one run:
#   - reading the site: cat of every page to /dev/null (the floor);
#   - convert --dry-run --recursive (goal: at most 1.5 x the cat);
#   - convert --recursive against convert of the same pages named one by one
#     (the search of the folder must cost next to nothing).
#
#   bench/converter/siteRun.sh [BUILD_DIR]     (default: build)
#
# PAGES (default 2000) pages of about 32 KiB with 8 movie blocks each, in
# folders of 100, are made in a scratch folder (BENCH_DIR, default a new
# folder under ${TMPDIR:-/tmp}) and removed afterwards. ROUNDS (default 7)
# runs per case; the median is reported. The files are in the page cache
# for every case alike (the site is read once before the rounds).
set -euo pipefail
cd "$(dirname "$0")/../.."

source bench/timing.sh "$@"
ROUNDS=${ROUNDS:-7}
PAGES=${PAGES:-2000}
require_built "$CLI"
make_work_dir sorvane-site

# One page: a head, paragraphs, and 8 multi-line object blocks between them.
make_page() {
    printf '<html>\r\n<head>\r\n<title>page</title>\r\n</head>\r\n<body>\r\n'
    for block in 1 2 3 4 5 6 7 8; do
        for _ in $(seq 30); do printf '<p>Some text of the page, long enough to be a paragraph of a real site, with a <a href="x.htm">link</a>.</p>\r\n'; done
        printf '<object classid="clsid:d27cdb6e-ae6d-11cf-96b8-444553540000" width="550" height="400">\r\n'
        printf '  <param name="movie" value="movie%s.swf">\r\n  <param name="quality" value="high">\r\n' "$block"
        printf '  <embed src="movie%s.swf" quality="high" width="550" height="400"></embed>\r\n</object>\r\n' "$block"
    done
    printf '</body>\r\n</html>\r\n'
}

make_page > "$WORK/page.htm"
mkdir -p "$WORK/pristine"
for i in $(seq 0 $((PAGES - 1))); do
    folder=$WORK/pristine/d$((i / 100))
    mkdir -p "$folder"
    cp "$WORK/page.htm" "$folder/p$i.htm"
done
mapfile -t LIST < <(cd "$WORK" && find pristine -name '*.htm' | sort)

fresh_site() { rm -rf "$WORK/site" && cp -a "$WORK/pristine" "$WORK/site" && cat "$WORK"/site/*/*.htm >/dev/null; }

# Prints the milliseconds that COMMAND takes, run in the scratch folder.
time_ms() {
    local start end
    start=$(now_ns)
    (cd "$WORK" && "$@" >/dev/null)
    end=$(now_ns)
    echo $(( (end - start) / 1000000 ))
}

read_site() { find site -name '*.htm' -exec cat {} + ; }
dry_run() { "$OLDPWD/$CLI" convert --dry-run --recursive -q site; }
convert_recursive() { "$OLDPWD/$CLI" convert --no-backup --recursive -q site; }
convert_listed() { "$OLDPWD/$CLI" convert --no-backup -q "${LIST[@]/#pristine/site}"; }

declare -A samples
for _ in $(seq "$ROUNDS"); do
    fresh_site
    samples[cat]+="$(time_ms read_site) "
    samples[dry]+="$(time_ms dry_run) "
    samples[recursive]+="$(time_ms convert_recursive) "
    fresh_site
    samples[listed]+="$(time_ms convert_listed) "
done
declare -A ms
for name in "${!samples[@]}"; do ms[$name]=$(median <<<"${samples[$name]}"); done

size=$(du -sm "$WORK/pristine" | cut -f1)
echo "== $PAGES pages, $size MiB, 8 blocks each ($ROUNDS rounds, median)"
awk -v c="${ms[cat]}" -v d="${ms[dry]}" -v r="${ms[recursive]}" -v l="${ms[listed]}" 'BEGIN {
    printf "cat of every page > /dev/null:     %6d ms\n", c
    printf "convert --dry-run --recursive:     %6d ms   %.2f x cat (target <= 1.5)\n", d, d / (c > 0 ? c : 1)
    printf "convert --recursive:               %6d ms\n", r
    printf "convert of the pages listed:       %6d ms   recursive %.2f x listed\n", l, r / (l > 0 ? l : 1) }'
