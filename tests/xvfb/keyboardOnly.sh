#!/usr/bin/env bash
# The built sorvane under Xvfb driven by key presses alone, through both
# paths. Convert: Down chooses "Replace HTML Code", Space on the focused
# Browse.. opens the open dialog, "Specific Folder" and its Browse.. are
# reached by Down and Tab, the folder is picked by typing its name, Enter and
# Alt+C. Generate: Height and Width typed, Space on "Copy To Clipboard" puts
# exactly what sorvane-cli generate prints on the clipboard. On both
# completion pages Alt+A presses Again; on the welcome screen it opens the
# about box, centred over the main window. Screenshots go to OUTPUT_DIR.
#
# usage: keyboardOnly.sh SORVANE SORVANE_CLI OUTPUT_DIR
set -euo pipefail

sorvane=$1
cli=$2
out=$3

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"
command -v xclip >/dev/null || fail "xclip is missing (Debian package xclip)"

site=$(mktemp -d)
mkdir -p "$site/pages" "$site/js" "$site/movies" "$site/elsewhere"
page="$site/pages/index.html"
printf '<head></head><object>A</object>' >"$page"
printf 'FWS\x08' >"$site/movies/intro.swf"
cp "$site/movies/intro.swf" "$site/elsewhere/intro.swf"

"$sorvane" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$site"' EXIT

wid=$(main_window)
keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }

# A dialog that the keys open, focused for the next keys (without a window
# manager a new window does not get the keyboard by itself).
dialog() {
    local found
    found=$(timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n 1) || fail "no window $1 opened"
    xdotool windowfocus --sync "$found"
    sleep 0.4
    echo "$found"
}
back_to_main() {
    xdotool windowfocus --sync "$wid"
    sleep 0.3
}
about_opened() { xdotool search --onlyvisible --name '^About$' >/dev/null 2>&1; }
centre() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                     /Width:/ {w=$2} /Height:/ {h=$2} END {print int(x + w / 2), int(y + h / 2)}'; }

# ------------------------------------------------------------ convert --
keys Down                        # "Replace HTML Code"
keys alt+n                       # the focus is on Browse..
keys space
dialog '^Open' >/dev/null
xdotool type --delay 20 "$page"
keys Return
back_to_main
keys alt+n
keys Down Tab Tab                # "Specific Folder", past its path box to Browse..
keys space
dialog '^Select Folder$' >/dev/null
xdotool type --delay 50 js       # beside "pages", which is selected
keys Return                      # into js
keys alt+c                       # Choose
back_to_main
keys alt+n                       # the confirm page
import -window "$wid" "$out/keyboard_cv_confirm.png"
keys alt+n                       # the run
for _ in $(seq 50); do
    grep -q 'displaySWF_1(); </script>' "$page" && break
    sleep 0.1
done
grep -q 'src="../js/index.js"' "$page" || fail "the page was not converted with its script in js: $(cat "$page")"
grep -q 'function displaySWF_1()' "$site/js/index.js" || fail "no script file in the folder picked by keys"
sleep 1
import -window "$wid" "$out/keyboard_cv_complete.png"
keys alt+a                       # Again
sleep 0.5
about_opened && fail "Alt+A on the completion page opened the about box instead of pressing Again"

# ----------------------------------------------------------- generate --
keys Up                          # "Generate HTML Code"
keys alt+n
keys space
dialog '^Open' >/dev/null
xdotool type --delay 20 "$site/movies/intro.swf"
keys Return
back_to_main
keys alt+n                       # the options page; the focus is on Height
xdotool type --delay 20 400
keys Tab
xdotool type --delay 20 550
keys alt+n
keys alt+n                       # the completion page writes intro.js
[ -e "$site/movies/intro.js" ] || fail "no script file beside the movie"
keys space                       # "Copy To Clipboard" has the focus
xclip -selection clipboard -o >"$site/copied"
(cd "$site/elsewhere" && "$cli" generate --width 550 --height 400 intro.swf >"$site/printed")
cmp "$site/copied" "$site/printed" || fail "the clipboard differs from what sorvane-cli generate prints"
import -window "$wid" "$out/keyboard_gn_complete.png"
keys alt+a
sleep 0.5
about_opened && fail "Alt+A on the generate completion page opened the about box"

# ------------------------------------------------ about box and exit --
keys alt+a                       # on the welcome screen: the about box
about=$(dialog '^About$')
read -r ax ay < <(centre "$about")
read -r mx my < <(centre "$wid")
[ $((ax - mx)) -ge -1 ] && [ $((ax - mx)) -le 1 ] && [ $((ay - my)) -ge -1 ] && [ $((ay - my)) -le 1 ] \
    || fail "the about box is centred at $ax,$ay, the main window at $mx,$my"
keys Escape
back_to_main
keys Escape                      # Cancel: the exit question
dialog '^Information$' >/dev/null
keys Return                      # Yes
for _ in $(seq 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
kill -0 $pid 2>/dev/null && fail "the program did not end after Yes"
status=0
wait $pid || status=$?
trap 'rm -rf "$site"' EXIT
[ "$status" = 0 ] || fail "exit status $status"
echo "both paths completed by keys alone; Alt+A pressed Again; clipboard = sorvane-cli generate; screenshots in $out"
