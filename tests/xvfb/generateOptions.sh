#!/usr/bin/env bash
# The built sorvane under Xvfb, on the generate path's new options: for a 550
# by 400 movie the options page shows "Movie size: 550 × 400" and Alt+U puts
# it into Width and Height; the Flash player, ticked with Sorvane's own, gets a
# web address typed into its field instead. Next goes on without a question; the confirm page
# shows the player, and the movie's script file has the size. Screenshots of
# the options, confirm and completion pages are written to OUTPUT_DIR.
#
# usage: generateOptions.sh SORVANE MAKE_MOVIE OUTPUT_DIR
set -euo pipefail

sorvane=$1
make_movie=$2
out=$3

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

site=$(mktemp -d)
movie="$site/intro.swf"
"$make_movie" "$movie" CWS 550 400 ff0000

start_sorvane "$sorvane" "$site"

wid=$(main_window)
to_generate_options "$wid" "$movie"
xdotool key --clearmodifiers alt+u   # "Use this size"
sleep 0.3
xdotool key --clearmodifiers alt+p alt+p   # "Player" cleared and ticked again: the focus is on it
sleep 0.3
xdotool key Tab ctrl+a               # to its field, Sorvane's own player selected
xdotool type --delay 20 "https://example.org/ruffle.js"
sleep 0.3
import -window "$wid" "$out/gn_swfoption.png"
xdotool key --clearmodifiers alt+n   # no question: the sizes are digits
sleep 0.5
xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 && fail "a question was asked about the sizes"
import -window "$wid" "$out/gn_confirm.png"
xdotool key --clearmodifiers alt+n
for _ in $(seq 50); do
    [ -e "$site/intro.js" ] && break
    sleep 0.1
done
grep -q 'width="550" height="400"' "$site/intro.js" || fail "the script does not hold the movie's size"
sleep 0.3
import -window "$wid" "$out/gn_complete_player.png"
echo "the movie's own size went into Width and Height, a player was chosen; screenshots in $out"
