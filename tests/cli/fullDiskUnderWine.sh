#!/usr/bin/env bash
# sorvane-cli.exe meeting a full disk, under Wine. Windows gives a program no
# way to make its own disk full; Wine runs the program as a Linux process, so
# a file size limit stands in for the full disk, as in the Linux tests.
#   fullDiskUnderWine.sh SORVANE-CLI.EXE WINE-RUNNER...
set -euo pipefail

cli=$1
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"

page='<html><head></head><body><object>m</object>'$(head -c 200000 /dev/zero | tr '\0' x)'</body></html>'
printf '%s' "$page" >page.htm

# Start Wine's server now, so that it does not run under the limit below.
"$@" cmd /c exit
status=0
(trap '' XFSZ; exec prlimit --fsize=100000 "$@" "$cli" convert --no-backup page.htm >out 2>err) || status=$?

fail() { echo "FAIL: $*"; cat err; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
# Wine gives the file size limit's EFBIG as "General failure"; a real full
# disk gives Windows's "There is not enough space on the disk".
expected="sorvane-cli: Cannot create file Z:${scratch//\//\\}\\page.htm: "
case "$(cat err)" in "$expected"?*) ;; *) fail "message is not: $expected<reason>" ;; esac
[ "$(cat page.htm)" = "$page" ] || fail "the page changed"
# The script file comes before the page and is small enough to be written.
[ "$(ls -A | tr '\n' ' ')" = "err out page.htm page.js " ] || fail "left: $(ls -A)"
echo "page whole, no temporary file left, message: $(cat err)"
