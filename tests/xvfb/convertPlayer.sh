#!/usr/bin/env bash
# The built sorvane under Xvfb converts a page that is to load a Flash player:
# on the confirm page Alt+P ticks "Add a Flash player:", its Browse.. picks
# the player script in the real open dialog, and the converted page loads it
# right after its script file. A screenshot of the confirm page is written to
# OUTPUT_DIR.
#
# usage: convertPlayer.sh SORVANE OUTPUT_DIR
set -euo pipefail

sorvane=$1
out=$2

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

site=$(mktemp -d)
page="$site/index.html"
printf '<head></head><object>A</object>' >"$page"
mkdir "$site/player"
printf '// player' >"$site/player/ruffle.js"

"$sorvane" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$site"' EXIT

wid=$(main_window)
xdotool key Down  # from "Generate HTML Code" to "Replace HTML Code"
sleep 0.2
xdotool key --clearmodifiers alt+n
sleep 0.5
pick_in_open_dialog "$wid" "$page"
for _ in 1 2; do  # to the script folder and the confirm page
    xdotool key --clearmodifiers alt+n
    sleep 0.5
done
xdotool key --clearmodifiers alt+p   # "Add a Flash player:"
sleep 0.3
pick_in_open_dialog "$wid" "$site/player/ruffle.js" 445 241
sleep 0.3
import -window "$wid" "$out/cv_confirm_player.png"
xdotool key --clearmodifiers alt+n

converted=""
for _ in $(seq 50); do
    if grep -q 'displaySWF_1(); </script>' "$page"; then converted=1; break; fi
    sleep 0.1
done
[ -n "$converted" ] || fail "the page was not converted: $(cat "$page")"
tr -d '\r\n' <"$page" | grep -q 'src="index.js"></script><script src="player/ruffle.js"></script></head>' \
    || fail "the page does not load the player after its script: $(cat "$page")"
echo "a page was converted to load the player picked in the real open dialog; screenshot in $out"
