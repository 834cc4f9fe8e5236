#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and without a display, in a Wine
# prefix of the build's own:
#   wineRun.sh WINE PREFIX PROGRAM.exe [ARGUMENT]...
#   wineRun.sh WINE PREFIX --start-server | --end-server
# The prefix is made on first use (about 15 s) and kept: later runs start in
# a fraction of a second. Tests running side by side wait for the one that
# makes it, so no two of them set up one prefix at once.
# --start-server starts Wine's server and its services for the prefix and
# keeps them until --end-server: a test run holds one server from its first
# Windows test to its last. Else the first program of a server starts the
# services, which keep that program's output open for as long as the server
# runs, and a test that happens to be that program never ends for CTest.
set -euo pipefail

wine=$1
export WINEPREFIX=$2
shift 2
export WINEDEBUG=-all
# No display, no prompts to download Wine's .NET or HTML engines, and no
# menu entries for the prefix's programs in the user's home.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(dirname "$(readlink -f "$wine")")/wineserver

if [ ! -e "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -e "$WINEPREFIX/system.reg" ]; then
            # A 64-bit-only Wine reports that it has no 32-bit rundll32: harmless.
            "$wine" wineboot --init >"$WINEPREFIX.log" 2>&1 || true
            "$wineserver" -w 2>/dev/null || true
        fi
    ) 9>"$WINEPREFIX.lock"
fi

case "${1:-}" in
    --start-server)
        "$wineserver" -k 2>/dev/null || true
        "$wineserver" -w 2>/dev/null || true
        "$wineserver" -p </dev/null >/dev/null 2>&1
        # The services that this first program starts outlive it: they must not
        # hold the caller's output open, or the caller waits for them.
        exec "$wine" cmd /c exit </dev/null >/dev/null 2>&1
        ;;
    --end-server)
        exec "$wineserver" -k
        ;;
esac

# Wine's server for the prefix ends 3 s after its last program by default,
# and a program started in the moment it ends can fail to start at all.
# Tests run one after the other keep one server for 10 s past the last
# instead (which also spares each test the server's start-up); a server that
# is running already stays as it is.
"$wineserver" -p10 </dev/null >/dev/null 2>&1 || true

# SORVANE_WINE_LOCALE=ja_JP.UTF-8 runs the program with Shift_JIS (932) as
# the system's code page: Wine takes it from the locale. Wine also needs that
# locale on the Linux side, to write file names in UTF-8; it is compiled once
# into the build folder from the locales package's sources, as a machine may
# have no locale but C generated.
if [ -n "${SORVANE_WINE_LOCALE:-}" ]; then
    locales=$(dirname "$WINEPREFIX")/locales
    if [ ! -e "$locales/$SORVANE_WINE_LOCALE" ]; then
        mkdir -p "$locales"
        (
            flock 9
            [ -e "$locales/$SORVANE_WINE_LOCALE" ] ||
                localedef -c -i "${SORVANE_WINE_LOCALE%%.*}" -f "${SORVANE_WINE_LOCALE#*.}" \
                          "$locales/$SORVANE_WINE_LOCALE" || true
        ) 9>"$locales.lock"
    fi
    exec env LOCPATH="$locales" LC_ALL="$SORVANE_WINE_LOCALE" "$wine" "$@"
fi
exec "$wine" "$@"
