#!/usr/bin/env bash
# The built sorvane under Xvfb converts a real page: "Replace HTML Code",
# Browse.. picks the page in the real open dialog, Next keeps the default
# script folder and the backup, and after the run the page on disk is the
# converted one, with its script file and backup beside it.
#
# usage: convertPage.sh SORVANE
set -euo pipefail

sorvane=$1

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

site=$(mktemp -d)
page="$site/index.html"
printf '<head></head><object>A</object>' >"$page"

"$sorvane" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -rf "$site"' EXIT

wid=$(main_window)
xdotool key Down  # from "Generate HTML Code" to "Replace HTML Code"
sleep 0.2
xdotool key --clearmodifiers alt+n
sleep 0.5
pick_in_open_dialog "$wid" "$page"
for _ in 1 2 3; do  # to the script folder, the confirm page and the run
    xdotool key --clearmodifiers alt+n
    sleep 0.5
done

converted=""
for _ in $(seq 50); do
    if grep -q 'displaySWF_1(); </script>' "$page"; then converted=1; break; fi
    sleep 0.1
done
[ -n "$converted" ] || fail "the page was not converted: $(cat "$page")"
grep -q 'src="index.js"' "$page" || fail "the page does not include index.js"
grep -q 'function displaySWF_1()' "$site/index.js" || fail "no script file beside the page"
[ "$(cat "$site/index_backup.html")" = '<head></head><object>A</object>' ] || fail "no backup of the page"
echo "a page picked in the real open dialog was converted, with its script file and backup"
