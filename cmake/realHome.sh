#!/usr/bin/env bash
# The test run leaves the home folder of the user who runs it as it was:
#   realHome.sh record FILE    before the first test
#   realHome.sh compare FILE   after the last one
# Compared are the folders where programs keep settings and data (.config,
# .local), with every entry's path, size and time of change. Caches of build
# tools elsewhere in the home may change meanwhile.
set -euo pipefail
mode=$1 file=$2
list() {
    for folder in "$HOME/.config" "$HOME/.local"; do
        [ -d "$folder" ] && find "$folder" -printf '%p %s %T@\n'
    done | LC_ALL=C sort
}
case "$mode" in
    record) list >"$file" ;;
    compare)
        if ! diff "$file" <(list) >&2; then
            echo "FAIL: the test run changed $HOME (lines > are new or changed)" >&2
            exit 1
        fi
        echo "$HOME/.config and $HOME/.local are as they were before the tests"
        ;;
    *) echo "usage: realHome.sh record|compare FILE" >&2; exit 2 ;;
esac
