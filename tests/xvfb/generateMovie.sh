#!/usr/bin/env bash
# The built sorvane under Xvfb generates for a real movie: "Generate HTML
# Code", Browse.. picks the .swf in the real open dialog, Yes accepts the
# blank Width and Height, and after the confirm page the movie's script file
# is on disk beside it.
#
# usage: generateMovie.sh SORVANE OUTPUT_DIR
set -euo pipefail

sorvane=$1
out=$2

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

site=$(mktemp -d)
movie="$site/intro.swf"
printf 'FWS\x08' >"$movie"

start_sorvane "$sorvane" "$site"

wid=$(main_window)
to_generate_options "$wid" "$movie"
xdotool key --clearmodifiers alt+n   # its check asks about the blank Width and Height

answer_yes() {
    local box
    box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Confirm$' | head -n 1) \
        || fail "no question about the blank $1"
    xdotool windowfocus --sync "$box"
    xdotool key Return                # Yes is the default button
    for _ in $(seq 30); do
        xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 || break
        sleep 0.1
    done
}
answer_yes Width
answer_yes Height
sleep 0.5
xdotool windowfocus --sync "$wid"
xdotool key --clearmodifiers alt+n   # confirm page -> completion page
written=""
for _ in $(seq 50); do
    if [ -e "$site/intro.js" ]; then written=1; break; fi
    sleep 0.1
done
[ -n "$written" ] || fail "no script file beside the movie"
grep -q "document.write('<object" "$site/intro.js" || fail "intro.js holds no document.write line"
sleep 0.3
import -window "$wid" "$out/gn_complete.png"
echo "a movie picked in the real open dialog got its script file; screenshot in $out/gn_complete.png"
