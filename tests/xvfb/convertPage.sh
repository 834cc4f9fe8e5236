#!/usr/bin/env bash
# The built sorvane under Xvfb converts a real page: "Replace HTML Code",
# Browse.. picks the page in the real open dialog, Next keeps the default
# script folder, the backup and Sorvane's own Flash player, and after the run
# the page on disk is the converted one, with its script file, backup and
# the copied player beside it.
#
# usage: convertPage.sh SORVANE
set -euo pipefail

sorvane=$1

source "$(dirname "$0")/onXvfb.sh" "$0" "$@"

site=$(mktemp -d)
page="$site/index.html"
printf '<head></head><object>A</object>' >"$page"

start_sorvane "$sorvane" "$site"

wid=$(main_window)
to_convert_confirm "$wid" "$page"
xdotool key --clearmodifiers alt+n   # the run
wait_until_converted "$page"
grep -q 'src="index.js"' "$page" || fail "the page does not include index.js"
grep -q 'function displaySWF_1()' "$site/index.js" || fail "no script file beside the page"
[ "$(cat "$site/index_backup.html")" = '<head></head><object>A</object>' ] || fail "no backup of the page"
grep -q 'src="sorvane-player/ruffle.js"' "$page" || fail "the page does not load Sorvane's own player"
[ -f "$site/sorvane-player/ruffle.js" ] || fail "Sorvane's own player was not copied beside the page"
echo "a page picked in the real open dialog was converted, with its script file, backup and player"
