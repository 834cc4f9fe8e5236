#!/usr/bin/env bash
# Runs a test command with a home folder of its own, removed afterwards:
#   ownHome.sh COMMAND [ARGUMENT]...
# The programs and desktop tools a test starts write below HOME and the XDG
# folders; a test must never change the home of the user who runs it.
home=$(mktemp -d "${TMPDIR:-/tmp}/sorvane-home-XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
       XDG_STATE_HOME=$home/.local/state
"$@"
