#!/usr/bin/env bash
# Installs the pinned Flash player emulator of tests/package-lock.json into
# DEST/node_modules with npm ci: the movie-plays tests serve it from there,
# never from a web address. Skipped when the same lock file was installed
# there last time.
#
# usage: installPlayer.sh TESTS_DIR DEST
set -euo pipefail

tests=$1
dest=$2

player="$dest/node_modules/@ruffle-rs/ruffle/ruffle.js"
if cmp -s "$tests/package-lock.json" "$dest/installed-lock.json" && [ -f "$player" ]; then
    echo "the player is installed: $player"
    exit 0
fi
command -v npm >/dev/null || { echo "npm is missing (Debian packages nodejs and npm)" >&2; exit 1; }
mkdir -p "$dest"
rm -f "$dest/installed-lock.json"
cp "$tests/package.json" "$tests/package-lock.json" "$dest/"
(cd "$dest" && npm ci --no-audit --no-fund)
[ -f "$player" ] || { echo "npm ci installed no $player" >&2; exit 1; }
cp "$tests/package-lock.json" "$dest/installed-lock.json"
echo "installed the player: $player"
