#!/usr/bin/env bash
# `cpack -G DEB` builds a package of the expected name and version whose
# Depends line dpkg-shlibdeps filled in from the libraries the programs link,
# which holds exactly the expected files, owned by root, with the expected
# modes, stripped programs, and a command-line tool that runs; lintian finds
# no error and no warning in it.
#   debPackage.sh CPACK BUILD_DIR VERSION [DESKTOP_ID]
set -euo pipefail
cpack=$1
build=$2
version=$3
id=${4:-}
source "$(dirname "$0")/installChecks.sh"

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    exit 1
fi
architecture=$(dpkg --print-architecture)
deb=$scratch/sorvane_${version}_$architecture.deb
[ -f "$deb" ] || { echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$scratch")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sorvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is '$(field Architecture)'"

# Every library the programs link, each with the lowest version that has the
# symbols they use; the command-line tool alone links no Qt.
depends=$(field Depends)
gui_libraries=(libqt6core6 libqt6gui6 libqt6widgets6)
for library in libc6 libstdc++6 ${id:+"${gui_libraries[@]}"}; do
    [[ ", $depends," == *", $library (>= "[0-9]*")",* ]] || fail "Depends lacks '$library (>= …)': $depends"
done
if [ -z "$id" ]; then
    [[ $depends != *qt* ]] || fail "a package without the wizard depends on Qt: $depends"
fi
[ "$(field Recommends)" = "${id:+fonts-liberation2}" ] || fail "Recommends is '$(field Recommends)'"

# The content list: directories and files owned by root, programs executable,
# everything else only readable; the files exactly those an install puts.
contents=$(dpkg-deb -c "$deb")
while read -r mode owner _ _ _ path; do
    [ "$owner" = root/root ] || fail "$path is owned by $owner"
    case $mode:$path in
        d*) expected=drwxr-xr-x ;;
        *:./usr/bin/*) expected=-rwxr-xr-x ;;
        *) expected=-rw-r--r-- ;;
    esac
    [ "$mode" = "$expected" ] || fail "$path has mode $mode, not $expected"
done <<<"$contents"
files=$(awk '$1 !~ /^d/ {sub(/^\.\/usr\//, "", $6); print $6}' <<<"$contents" | LC_ALL=C sort)
[ "$files" = "$(installed_files "$id")" ] ||
    fail "the package's files differ from the expected (>):"$'\n'"$(diff <(echo "$files") <(installed_files "$id"))"

dpkg-deb -x "$deb" "$scratch/root"
for program in "$scratch"/root/usr/bin/*; do
    file -b "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
done
[ "$("$scratch/root/usr/bin/sorvane-cli" --version)" = "sorvane-cli $version" ] ||
    fail "the packaged sorvane-cli --version does not print 'sorvane-cli $version'"

# lintian as a Debian archive runs it, pedantic notes included: an error or a
# warning fails; the rest is shown.
if ! tags=$(lintian --pedantic --fail-on error,warning "$deb" 2>"$scratch/lintian.log"); then
    fail "lintian finds errors or warnings:"$'\n'"$tags$(cat "$scratch/lintian.log")"
elif [ -n "$tags" ]; then
    echo "lintian's notes:"$'\n'"$tags"
fi

exit $failed
