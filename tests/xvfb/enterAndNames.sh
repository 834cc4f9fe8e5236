#!/usr/bin/env bash
# The built sorvane under Xvfb with a window manager (openbox), moved on by
# Enter wherever a wizard takes it for Next, on files with odd names:
# - a page named like markup shows its name as it is on the confirm page
#   (caption of the backup box, tooltip of the path);
# - a page without a Flash movie block: the confirm page says that nothing
#   will be written, Enter on it tells so again, and nothing is written;
# - a text file as the movie: the question names it, Enter answers No;
# - a movie with a long name: its size is offered, the completion page
#   shortens the names with the whole sentence in the tooltip;
# - at QT_SCALE_FACTOR=2 the window fits the 1024 x 768 screen.
# Screenshots of each are written to OUTPUT_DIR.
#
# usage: enterAndNames.sh SORVANE MAKE_MOVIE OUTPUT_DIR
set -euo pipefail

sorvane=$1
make_movie=$2
out=$3

export SORVANE_XVFB_SCREEN=1024x768x24
source "$(dirname "$0")/onXvfb.sh" "$0" "$@"
command -v xprop >/dev/null || fail "xprop is missing (Debian package x11-utils)"
mkdir -p "$out"
start_window_manager

site=$(mktemp -d)
odd="$site/a <b>bold &amp; & <br>page.html"
printf '<head></head><object>A</object>' >"$odd"
plain="$site/plain.html"
printf '<head></head><p>No movie here</p>' >"$plain"
printf 'just some notes\n' >"$site/notes.txt"
movie="$site/a movie whose name is far too long for the line it is shown on.swf"
"$make_movie" "$movie" CWS 550 400 ff0000

start_sorvane "$sorvane" "$site"
wid=$(main_window)
screen() { sleep 0.3; import -window root "$out/$1.png"; }
# Hovers over a control of the main window at X Y until its tooltip shows.
hover() {
    xdotool mousemove --window "$wid" "$1" "$2"
    sleep 1.5
}
back_to_welcome() {
    for _ in 1 2 3; do keys alt+b; done
}
# From the welcome screen with "Replace HTML Code" chosen to the confirm
# page for PAGE: Enter on the chosen option is Next, Enter on the focused
# Browse.. opens the open dialog, Enter on the default folder option is Next.
to_convert_confirm_by_enter() {
    keys Return
    keys Return
    focus_window '^Open' >/dev/null
    xdotool type --delay 10 "$1"
    keys Return
    xdotool windowfocus --sync "$wid"
    keys alt+n                  # Enter would press Browse.. again
    keys Return                 # on "Same Folder (Recommended)": Next
}

# -------------------------------------------------- a name like markup --
keys Down                       # "Replace HTML Code"
to_convert_confirm_by_enter "$odd"
hover 100 130                   # the page's path
screen names_confirm_page
back_to_welcome

# ------------------------------------------ a page with nothing to convert --
to_convert_confirm_by_enter "$plain"
screen no_block_confirm_page
keys Return                     # Next: the information box
focus_window '^Information$' >/dev/null
screen no_block_next
keys Return
[ "$(ls "$site")" = "$(printf '%s\n' "$(basename "$odd")" "$(basename "$movie")" notes.txt plain.html | sort)" ] \
    || fail "something was written for a page without a block: $(ls "$site")"
xdotool windowfocus --sync "$wid"
back_to_welcome

# ----------------------------------------------------- a file that is no movie --
keys Up Return                  # "Generate HTML Code"
keys Return                     # Browse..
focus_window '^Open' >/dev/null
xdotool type --delay 10 "$site/notes.txt"
keys Return
xdotool windowfocus --sync "$wid"
keys alt+n
focus_window '^Confirm$' >/dev/null
screen not_a_movie_question
keys Return                     # No, the default
xdotool windowfocus --sync "$wid"
xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 && fail "the question stayed open"

# --------------------------------------------------- a long movie name --
keys Return                     # Browse.. has the focus again
focus_window '^Open' >/dev/null
xdotool type --delay 10 "$movie"
keys Return
xdotool windowfocus --sync "$wid"
keys alt+n                      # a movie: no question
xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 && fail "a movie was questioned"
keys alt+u                      # "Use this size"
screen movie_size_offered
keys Return                     # Next from the options, then from the confirm page
keys Return
for _ in $(seq 150); do            # Sorvane's own player is copied first
    [ -e "${movie%.swf}.js" ] && break
    sleep 0.1
done
[ -e "${movie%.swf}.js" ] || fail "no script beside the movie"
grep -q 'width="550" height="400"' "${movie%.swf}.js" || fail "the movie's size was not used"
hover 200 108                   # the "1. Put ..." sentence
screen long_names_complete_page
keys Tab                        # from "Copy To Clipboard", which Enter would press, to the code
keys Return                     # Enter on the completion page: Exit
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Enter on the completion page did not exit"

# ----------------------------------------------------- twice the size --
QT_SCALE_FACTOR=2 start_sorvane "$sorvane" "$site"
wid=$(main_window)
sleep 0.5
read -r x y w h < <(xwininfo -frame -id "$wid" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                                                     /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
frame_extent=$(xprop -id "$wid" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' || echo "0, 0, 0, 0")
IFS=', ' read -r left right top bottom <<<"$frame_extent"
[ $((x - left)) -ge 0 ] && [ $((y - top)) -ge 0 ] && [ $((x + w + right)) -le 1024 ] && [ $((y + h + bottom)) -le 768 ] \
    || fail "at twice the size the window ($w x $h at $x,$y, frame $frame_extent) does not fit 1024 x 768"
screen scale_2_on_1024x768
keys Return                     # the window still answers: Next
import -window "$wid" "$out/scale_2_next.png"
echo "names shown as they are, nothing written for a page without a block, notes.txt questioned," \
     "the movie's size offered and long names shortened, Enter moved on and exited; window fits at 2x;" \
     "screenshots in $out"
