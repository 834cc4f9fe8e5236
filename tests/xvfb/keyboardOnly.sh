#!/usr/bin/env bash
# The built sorvane under Xvfb driven by key presses alone, through both
# paths, with a screenshot of every screen in OUTPUT_DIR (docs/screenshots is
# made by this script too, see its README).
#
# Convert: Down chooses "Replace HTML Code", Space on the focused Browse..
# opens the open dialog, "Specific Folder" and its Browse.. are reached by
# Down and Tab, the folder is picked by typing its name, Enter and Alt+C.
# Both paths keep Sorvane's own Flash player, the default choice, which is
# copied into the site. Generate: Height and Width typed, Space on "Copy To
# Clipboard" puts exactly what sorvane-cli generate --player bundled prints
# on the clipboard. On both completion pages
# Alt+A presses Again; on the welcome screen it opens the about box, centred
# over the main window. Last, the folder picker drawn at twice the size
# (QT_SCALE_FACTOR=2) is twice as large as at 1x.
#
# usage: keyboardOnly.sh SORVANE SORVANE_CLI MAKE_MOVIE OUTPUT_DIR
set -euo pipefail

sorvane=$1
cli=$2
make_movie=$3
out=$4

export SORVANE_XVFB_SCREEN=2048x1536x24  # room for the window drawn at twice the size
source "$(dirname "$0")/onXvfb.sh" "$0" "$@"
command -v xclip >/dev/null || fail "xclip is missing (Debian package xclip)"
mkdir -p "$out"

site=$(mktemp -d)
mkdir -p "$site/pages" "$site/js" "$site/movies" "$site/elsewhere"
page="$site/pages/index.html"
printf '<head></head><object>A</object>' >"$page"
"$make_movie" "$site/movies/intro.swf" CWS 550 400 336699
cp "$site/movies/intro.swf" "$site/elsewhere/intro.swf"

start_window_manager
start_sorvane "$sorvane" "$site"

wid=$(main_window)
snap() { import -window "${2:-$wid}" "$out/$1.png"; }
back_to_main() {
    xdotool windowfocus --sync "$wid"
    sleep 0.3
}
about_opened() { xdotool search --onlyvisible --name '^About$' >/dev/null 2>&1; }
# The centre of a window and its width: "x y width".
measure() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                             /Width:/ {w=$2} /Height:/ {h=$2} END {print int(x + w / 2), int(y + h / 2), w}'
}
# Chooses "Replace HTML Code" and picks the page in the open dialog; ends on
# the script folder page.
to_script_folder_page() {
    keys Down alt+n              # the focus is on Browse..
    keys space
    focus_window '^Open' >/dev/null
    xdotool type --delay 20 "$page"
    keys Return
    back_to_main
    keys alt+n
}
# Opens the folder picker with "Specific Folder" and its Browse..
open_folder_picker() {
    keys Down Tab Tab            # "Specific Folder", past its path box to Browse..
    keys space
    focus_window '^Select Folder$'
}

# ------------------------------------------------------------ convert --
snap welcome
to_script_folder_page
picker=$(open_folder_picker)
snap folder_picker "$picker"
read -r _ _ width1x < <(measure "$picker")
xdotool type --delay 50 js       # beside "pages", which is selected
keys Return                      # into js
keys alt+c                       # Choose
back_to_main
snap cv_output
keys alt+n
snap cv_confirm
keys alt+n                       # the run, after the player's copy
for _ in $(seq 150); do
    grep -q 'displaySWF_1(); </script>' "$page" && break
    sleep 0.1
done
grep -q 'src="../js/index.js"' "$page" || fail "the page was not converted with its script in js: $(cat "$page")"
grep -q 'src="../js/sorvane-player/ruffle.js"' "$page" \
    || fail "the page does not load the player copied beside its script: $(cat "$page")"
grep -q 'function displaySWF_1()' "$site/js/index.js" || fail "no script file in the folder picked by keys"
sleep 1
snap cv_complete
keys alt+a                       # Again
sleep 0.5
about_opened && fail "Alt+A on the completion page opened the about box instead of pressing Again"

# ----------------------------------------------------------- generate --
keys Up alt+n                    # "Generate HTML Code"
keys space
focus_window '^Open' >/dev/null
xdotool type --delay 20 "$site/movies/intro.swf"
keys Return
back_to_main
keys alt+n                       # the options page; the focus is on Height
xdotool type --delay 20 400
keys Tab
xdotool type --delay 20 550
snap gn_swfoption
keys alt+n
snap gn_confirm
keys alt+n                       # the completion page copies the player and writes intro.js
for _ in $(seq 100); do
    [ -e "$site/movies/intro.js" ] && break
    sleep 0.1
done
[ -e "$site/movies/intro.js" ] || fail "no script file beside the movie"
[ -e "$site/movies/sorvane-player/ruffle.js" ] || fail "the player was not copied beside the movie"
keys space                       # "Copy To Clipboard" has the focus
xclip -selection clipboard -o >"$site/copied"
(cd "$site/elsewhere" && "$cli" generate --player bundled --width 550 --height 400 intro.swf >"$site/printed")
cmp "$site/copied" "$site/printed" || fail "the clipboard differs from what sorvane-cli generate prints"
snap gn_complete
keys alt+a
sleep 0.5
about_opened && fail "Alt+A on the generate completion page opened the about box"

# ------------------------------------------------ about box and exit --
keys alt+a                       # on the welcome screen: the about box
about=$(focus_window '^About$')
snap about "$about"
read -r ax ay _ < <(measure "$about")
read -r mx my _ < <(measure "$wid")
[ $((ax - mx)) -ge -1 ] && [ $((ax - mx)) -le 1 ] && [ $((ay - my)) -ge -1 ] && [ $((ay - my)) -le 1 ] \
    || fail "the about box is centred at $ax,$ay, the main window at $mx,$my"
keys Escape
back_to_main
quit_by_keys $pid

# ------------------------------------------- folder picker at 2x size --
QT_SCALE_FACTOR=2 start_sorvane "$sorvane" "$site"
wid=$(main_window)
to_script_folder_page
picker2x=$(open_folder_picker)
snap folder_picker_2x "$picker2x"
read -r _ _ width2x < <(measure "$picker2x")
keys Escape
[ $((width2x - 2 * width1x)) -ge -8 ] && [ $((width2x - 2 * width1x)) -le 8 ] \
    || fail "the folder picker is $width1x pixels wide at 1x but $width2x at 2x"
echo "both paths completed by keys alone; Alt+A pressed Again; clipboard = sorvane-cli generate;" \
     "folder picker $width1x / $width2x pixels wide at 1x / 2x; screenshots in $out"
