#!/usr/bin/env bash
# Installs the Flash player emulator pinned in player/package-lock.json with
# npm ci into NPM_DIR, then copies the files a page loads (ruffle.js, its
# script chunks and WebAssembly modules) and the player's licence files into
# PLAYER_DIR, the folder that is installed as share/sorvane/player. npm is
# skipped when the same lock file was installed there last time, so a build
# without network works once the player is installed (or in npm's cache).
#
# usage: installPlayer.sh SOURCE_DIR NPM_DIR PLAYER_DIR STAMP
set -euo pipefail

source=$1
npm_dir=$2
player_dir=$3
stamp=$4

package=$npm_dir/node_modules/@ruffle-rs/ruffle
if ! cmp -s "$source/package-lock.json" "$npm_dir/installed-lock.json" || [ ! -f "$package/ruffle.js" ]; then
    command -v npm >/dev/null || { echo "npm is missing (Debian packages nodejs and npm)" >&2; exit 1; }
    mkdir -p "$npm_dir"
    rm -f "$npm_dir/installed-lock.json"
    cp "$source/package.json" "$source/package-lock.json" "$npm_dir/"
    (cd "$npm_dir" && npm ci --prefer-offline --no-audit --no-fund)
    [ -f "$package/ruffle.js" ] || { echo "npm ci installed no $package/ruffle.js" >&2; exit 1; }
    cp "$source/package-lock.json" "$npm_dir/installed-lock.json"
fi

# A fresh folder, so that the chunks of an earlier version do not stay.
rm -rf "$player_dir"
mkdir -p "$player_dir"
shopt -s nullglob
files=("$package"/ruffle.js "$package"/core.ruffle.*.js "$package"/*.wasm "$package"/LICENSE_MIT "$package"/LICENSE_APACHE)
install -m 644 "${files[@]}" "$player_dir/"
touch "$stamp"
echo "the player is in $player_dir"
