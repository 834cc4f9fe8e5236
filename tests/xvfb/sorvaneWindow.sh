#!/usr/bin/env bash
# The built sorvane under Xvfb: its window is mapped 512 pixels wide with the
# title "Sorvane", Alt+N moves from the welcome screen to the generate path's
# first page, and Yes to the exit question ends the program with status 0.
# Screenshots of both screens are written to OUTPUT_DIR.
#
# usage: sorvaneWindow.sh SORVANE OUTPUT_DIR
set -euo pipefail

sorvane=$1
out=$2

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

# Arguments are ignored: the program must start as it does without them.
"$sorvane" --any argument &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Sorvane$' | head -n 1) \
    || fail "no visible window titled Sorvane"
info=$(xwininfo -id "$wid")
width=$(sed -n 's/^ *Width: //p' <<<"$info")
[ "$width" = 512 ] || fail "window is $width pixels wide, not 512"
grep -q 'Map State: IsViewable' <<<"$info" || fail "window is not mapped"

snap() { import -window "$wid" "$1"; }
# The title strip, under the menu bar.
title_strip() { import -window "$wid" -crop 512x40+0+18 +repage "$1"; }

xdotool windowfocus --sync "$wid"
sleep 0.3
snap "$out/welcome.png"
title_strip "$out/welcome_title.png"

xdotool key --clearmodifiers alt+n
moved=""
for _ in $(seq 50); do
    sleep 0.1
    title_strip "$out/now_title.png"
    diff=$(compare -metric AE "$out/welcome_title.png" "$out/now_title.png" null: 2>&1 || true)
    if [ "${diff%% *}" != 0 ]; then moved=1; break; fi
done
[ -n "$moved" ] || fail "Alt+N did not change the screen"
sleep 0.3
snap "$out/gn_input.png"
rm -f "$out/now_title.png" "$out/welcome_title.png"

# Esc presses Cancel; Enter answers the exit question's default button, Yes.
quit_by_keys $pid
trap - EXIT
echo "window mapped, Alt+N moved on, Yes ended the program with status 0; screenshots in $out"
