#!/usr/bin/env bash
# The built sorvane under Xvfb converts a page that is to load a Flash player
# of the user's own: on the confirm page "Add a Flash player:" is ticked with
# Sorvane's own player chosen, its Browse.. picks another player script in
# the real open dialog, and the converted page loads that one right after its
# script file; Sorvane's own is not copied. A screenshot of the confirm page
# is written to OUTPUT_DIR.
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

start_sorvane "$sorvane" "$site"

wid=$(main_window)
to_convert_confirm "$wid" "$page"
pick_in_open_dialog "$wid" "$site/player/ruffle.js" 445 241
sleep 0.3
import -window "$wid" "$out/cv_confirm_player.png"
xdotool key --clearmodifiers alt+n   # the run
wait_until_converted "$page"
tr -d '\r\n' <"$page" | grep -q 'src="index.js"></script><script src="player/ruffle.js"></script></head>' \
    || fail "the page does not load the player after its script: $(cat "$page")"
[ -e "$site/sorvane-player" ] && fail "Sorvane's own player was copied though another was chosen"
echo "a page was converted to load the player picked in the real open dialog; screenshot in $out"
