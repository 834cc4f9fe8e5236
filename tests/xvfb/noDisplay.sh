#!/usr/bin/env bash
# Without any display the program says so, names xvfb-run, and fails cleanly
# instead of aborting inside the toolkit.
#
# usage: noDisplay.sh SORVANE
set -uo pipefail
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1 >/dev/null)
status=$?
[ "$status" = 1 ] || { echo "FAIL: exit status $status, expected 1" >&2; exit 1; }
grep -q "needs a graphical display" <<<"$message" || { echo "FAIL: message: $message" >&2; exit 1; }
grep -q "xvfb-run" <<<"$message" || { echo "FAIL: message does not name xvfb-run: $message" >&2; exit 1; }
