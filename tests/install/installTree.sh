#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR puts exactly the expected files
# under the prefix; the desktop entry and the metainfo validate, and what they
# name (program, icon, entry) is installed; the installed tool runs.
#   installTree.sh CMAKE BUILD_DIR [DESKTOP_ID]
set -euo pipefail
cmake=$1
build=$2
id=${3:-}
source "$(dirname "$0")/installChecks.sh"

DESTDIR=$scratch "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$scratch/usr

found=$(cd "$usr" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$(installed_files "$id")" ] ||
    fail "installed files differ from the expected (>):"$'\n'"$(diff <(echo "$found") <(installed_files "$id"))"

version=$("$usr/bin/sorvane-cli" --version) || fail "the installed sorvane-cli --version failed"
[[ $version == "sorvane-cli "[0-9]* ]] || fail "the installed sorvane-cli --version printed '$version'"

if [ -n "$id" ]; then
    entry=$usr/share/applications/$id.desktop
    metainfo=$usr/share/metainfo/$id.metainfo.xml
    # Even a hint of desktop-file-validate (such as no main category, which
    # leaves the program in a catch-all menu) is a fault.
    hints=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $id.desktop"
    [ -z "$hints" ] || fail "desktop-file-validate notes:"$'\n'"$hints"
    # So is every note of appstreamcli, infos included (a missing content
    # rating is only an info), but two: the product's domain ends in the
    # reserved ".example", which no registry knows, and its home page is http.
    notes=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli rejects $id.metainfo.xml"
    unexpected=$(grep -E '^[EWI]: ' <<<"$notes" | grep -vE ': (cid-maybe-not-rdns|url-not-secure) ' || true)
    [ -z "$unexpected" ] || fail "appstreamcli notes:"$'\n'"$unexpected"

    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -n "$program" ] && [ -x "$usr/bin/$program" ] || fail "the entry's Exec '$program' is not an installed program"
    [ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "the entry's Icon is not $id"
    grep -qF "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"

    for icon in "$usr"/share/icons/hicolor/*/apps/"$id.png"; do
        size=$(basename "$(dirname "$(dirname "$icon")")")
        file -b "$icon" | grep -q "^PNG image data, ${size/x/ x }," || fail "$icon is not a $size PNG: $(file -b "$icon")"
    done
fi

exit $failed
