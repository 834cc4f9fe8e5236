#!/usr/bin/env bash
# A program finds the player that comes with Sorvane in share/sorvane/player
# above its own folder, wherever its tree lies and however it is started:
# by a relative name, through a symbolic link from elsewhere, found on PATH,
# from any working folder.
#   playerFolder.sh PROBE
set -euo pipefail
probe=$1
source "$(dirname "$0")/installChecks.sh"

tree="$(cd "$scratch" && pwd -P)/moved tree"
mkdir -p "$tree/bin" "$scratch/elsewhere"
cp "$probe" "$tree/bin/probe"
ln -s "$tree/bin/probe" "$scratch/elsewhere/link"
expected=$tree/share/sorvane/player

check() {
    local how=$1 found
    shift
    found=$("$@") || { fail "$how: the probe failed"; return; }
    [ "$found" = "$expected" ] || fail "$how: found '$found', not '$expected'"
}
check "relative name" bash -c 'cd "$1" && bin/probe' _ "$tree"
check "symbolic link" bash -c 'cd / && "$1"' _ "$scratch/elsewhere/link"
check "on PATH" env PATH="$tree/bin:$PATH" bash -c 'cd "$HOME" 2>/dev/null || cd /; probe'

exit $failed
