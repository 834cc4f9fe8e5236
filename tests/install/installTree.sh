#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR puts exactly the expected files
# under the prefix; the manual pages are the sources compressed, the player
# that comes with Sorvane is whole with its licences; the desktop entry and
# the metainfo validate, and what they name (program, icon, entry,
# screenshots) is there; the installed tool runs.
#   installTree.sh CMAKE BUILD_DIR SOURCE_DIR [DESKTOP_ID]
set -euo pipefail
cmake=$1
build=$2
source_dir=$3
id=${4:-}
source "$(dirname "$0")/installChecks.sh"

DESTDIR=$scratch "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$scratch/usr

found=$(cd "$usr" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$(installed_files "$id")" ] ||
    fail "installed files differ from the expected (>):"$'\n'"$(diff <(echo "$found") <(installed_files "$id"))"

for page in "$usr"/share/man/man1/*.1.gz; do
    name=$(basename "$page" .gz)
    zcat "$page" | cmp -s - "$source_dir"/*/"$name" || fail "$page is not the compressed $name of the sources"
done

player=$usr/share/sorvane/player
if [ -d "$build/share/sorvane/player" ]; then
    for file in ruffle.js LICENSE_MIT LICENSE_APACHE; do
        [ -s "$player/$file" ] || fail "the installed player has no $file"
    done
    compgen -G "$player/*.wasm" >/dev/null || fail "the installed player has no WebAssembly module"
    grep -q '^Files: usr/share/sorvane/player/\*$' "$usr/share/doc/sorvane/copyright" ||
        fail "the copyright file does not list the player"
fi

version=$("$usr/bin/sorvane-cli" --version) || fail "the installed sorvane-cli --version failed"
[[ $version == "sorvane-cli "[0-9]* ]] || fail "the installed sorvane-cli --version printed '$version'"

if [ -n "$id" ]; then
    entry=$usr/share/applications/$id.desktop
    metainfo=$usr/share/metainfo/$id.metainfo.xml
    # Even a hint of desktop-file-validate (such as no main category, which
    # leaves the program in a catch-all menu) is a fault.
    hints=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects $id.desktop"
    [ -z "$hints" ] || fail "desktop-file-validate notes:"$'\n'"$hints"
    # So is every note of appstreamcli, infos and pedantic notes included (a
    # missing content rating is only an info), but two: the product's domain
    # ends in the reserved ".example", which no registry knows, and its
    # addresses are http.
    notes=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) ||
        fail "appstreamcli rejects $id.metainfo.xml:"$'\n'"$notes"
    unexpected=$(grep -E '^[EWIP]: ' <<<"$notes" | grep -vE ': (cid-maybe-not-rdns|url-not-secure) ' || true)
    [ -z "$unexpected" ] || fail "appstreamcli notes:"$'\n'"$unexpected"

    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -n "$program" ] && [ -x "$usr/bin/$program" ] || fail "the entry's Exec '$program' is not an installed program"
    [ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "the entry's Icon is not $id"
    grep -qF "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"

    # The screenshots are the documentation's own, published under the
    # product's site at their names in docs/screenshots.
    mapfile -t shots < <(sed -n 's|.*<image[^>]*>https://www.sorvane.example/screenshots/\([^<]*\)</image>.*|\1|p' \
        "$metainfo")
    [ ${#shots[@]} -gt 0 ] || fail "the metainfo shows no screenshot of the product's site"
    for shot in "${shots[@]}"; do
        [ -f "$source_dir/docs/screenshots/$shot" ] || fail "the metainfo shows $shot, which docs/screenshots lacks"
    done
    grep -q "<release version=\"$("$usr/bin/sorvane-cli" --version | cut -d' ' -f2)\"" "$metainfo" ||
        fail "the metainfo names no release of this version"

    file -b "$usr/share/icons/hicolor/scalable/apps/$id.svg" | grep -q '^SVG Scalable Vector Graphics image' ||
        fail "the scalable icon is not an SVG image"
    for icon in "$usr"/share/icons/hicolor/*/apps/"$id.png"; do
        size=$(basename "$(dirname "$(dirname "$icon")")")
        file -b "$icon" | grep -q "^PNG image data, ${size/x/ x }," || fail "$icon is not a $size PNG: $(file -b "$icon")"
    done
fi

exit $failed
