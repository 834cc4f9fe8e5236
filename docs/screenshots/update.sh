#!/usr/bin/env bash
# Takes the screenshots in this folder again, under Xvfb: the welcome screen,
# the key pages of both paths, the folder picker (also at twice the size) and
# the about box. They are taken by the real-window check that walks both paths
# by keys alone (tests/xvfb/keyboardOnly.sh), so they show the program as it
# is tested. Needs a build in build/ (or in BUILD_DIR) and ./build.sh test's
# packages.
#
# usage: docs/screenshots/update.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$root/build}
exec "$root/tests/xvfb/keyboardOnly.sh" "$build/shell/sorvane" "$build/cli/sorvane-cli" "$build/tests/movie/makeTestMovie" \
    "$here"
