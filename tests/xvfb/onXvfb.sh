# Sourced by the Xvfb checks as: source onXvfb.sh "$0" "$@"
# Runs the calling script again under its own virtual X display, then lets it
# go on there with Qt on that display; fail reports and ends the check.
if [ -z "${SORVANE_XVFB_RUNNING:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
    # SORVANE_XVFB_SCREEN: a larger screen for windows drawn at twice the size.
    exec env SORVANE_XVFB_RUNNING=1 xvfb-run -a -s "-screen 0 ${SORVANE_XVFB_SCREEN:-1024x768x24} -nolisten tcp" "$@"
fi
unset QT_QPA_PLATFORM  # the real X display, not the tests' offscreen one

fail() { echo "FAIL: $*" >&2; exit 1; }

# A window manager, as on every desktop: it frames the windows, gives a new
# window the keyboard and hands it back when the window closes.
start_window_manager() {
    command -v openbox >/dev/null || fail "openbox is missing (Debian package openbox)"
    openbox --sm-disable >/dev/null 2>&1 &
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "openbox did not start"
}

# Key presses, with a pause for the window to follow.
keys() {
    xdotool key --clearmodifiers "$@"
    sleep 0.4
}

# The id of a window titled like NAME (a pattern) once it is visible, focused
# for the next keys: without a window manager a new window does not get the
# keyboard by itself.
focus_window() {
    local found
    found=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1) || fail "no window $1 opened"
    xdotool windowfocus --sync "$found"
    sleep 0.4
    echo "$found"
}

# start_sorvane SORVANE SCRATCH [ARGUMENT...]
# Starts SORVANE with the arguments in the background, its process id in pid;
# when the check ends, it is ended and the scratch folder SCRATCH (if any)
# removed.
start_sorvane() {
    scratch=$2
    "$1" "${@:3}" &
    pid=$!
    trap 'kill $pid 2>/dev/null || true; [ -z "$scratch" ] || rm -rf "$scratch"' EXIT
}

# The Sorvane main window's id once it is visible, focused for keys.
main_window() {
    focus_window '^Sorvane$'
}

# Esc asks the exit question; Enter answers it with its default button, Yes,
# and the program PID must then end with status 0.
quit_by_keys() {
    local pid=$1 status=0
    keys Escape
    focus_window '^Information$' >/dev/null
    keys Return
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "the program did not end after Yes"
    wait "$pid" || status=$?
    [ "$status" = 0 ] || fail "exit status $status"
}

# Clicks Browse.. beside a path page's edit box (or the Browse.. at X Y) and
# picks FILE by typing its path into the real open dialog; the main window has
# the focus again after.
pick_in_open_dialog() {
    local wid=$1 file=$2 x=${3:-445} y=${4:-111}
    xdotool mousemove --window "$wid" "$x" "$y" click 1
    focus_window '^Open' >/dev/null
    xdotool type --delay 20 "$file"
    xdotool key Return
    sleep 0.5
    xdotool windowfocus --sync "$wid"
}

# From the welcome screen to the generate path's options page, for MOVIE
# picked in the real open dialog.
to_generate_options() {
    local wid=$1 movie=$2
    xdotool key --clearmodifiers alt+n   # "Generate HTML Code" is chosen at start
    sleep 0.5
    pick_in_open_dialog "$wid" "$movie"
    xdotool key --clearmodifiers alt+n   # to the options page
    sleep 0.5
}

# From the welcome screen to the convert path's confirm page, for PAGE picked
# in the real open dialog, with the script folder left as it is.
to_convert_confirm() {
    local wid=$1 page=$2
    xdotool key Down  # from "Generate HTML Code" to "Replace HTML Code"
    sleep 0.2
    xdotool key --clearmodifiers alt+n
    sleep 0.5
    pick_in_open_dialog "$wid" "$page"
    for _ in 1 2; do  # to the script folder and the confirm page
        xdotool key --clearmodifiers alt+n
        sleep 0.5
    done
}

# Waits until PAGE on disk calls its first converted block (after the copy
# of Sorvane's own player, where that is chosen).
wait_until_converted() {
    local page=$1
    for _ in $(seq 150); do
        grep -q 'displaySWF_1(); </script>' "$page" && return 0
        sleep 0.1
    done
    fail "the page was not converted: $(cat "$page")"
}
