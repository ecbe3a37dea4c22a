#!/usr/bin/env bash
# How the cross build's tests start a Windows program under Wine
# (CMAKE_CROSSCOMPILING_EMULATOR of cmake/mingw-w64-x86_64.cmake):
#   wine.sh PREFIX WINE64 PROGRAM.EXE [ARG...]
# Each user gets a Wine prefix of its own, PREFIX-UID: Wine refuses a prefix
# another user owns, and remembers in it where its server lives, which
# another user could not reach. The first start makes the prefix (some
# seconds), under a lock, so that tests started at once do not race to
# make it. Nothing of the user's own ~/.wine is read or changed. Windows
# show on $DISPLAY: the tests of the windows need one, and all of them one
# X server (scripts/windows.sh --probar runs ctest under xvfb-run).
set -euo pipefail
[ $# -ge 3 ] || { echo "uso: $0 PREFIX WINE64 PROGRAM.EXE [ARG...]" >&2; exit 125; }
uid="$(id -u)"
export WINEPREFIX="$1-$uid"
wine64=$2
shift 2
export WINEARCH=win64 WINEDEBUG=-all
# No .NET nor HTML engine: nothing here needs them, and Wine would try to
# fetch them when it makes the prefix.
# Nor may Wine write the programs' menu entries into the host's menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine turns the arguments and file names from the locale's encoding into
# UTF-16: under LC_ALL=C it would cut every byte above 127 to seven bits.
# C.UTF-8 keeps them, and gives the ANSI code page 1252, the store's.
export LC_ALL=C.UTF-8

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            # The Wine server this starts outlives it: it must not hold the
            # lock, which the others wait for.
            "$wine64" wineboot -i >/dev/null 2>&1 9>&-
            # Without a window manager (the tests' Xvfb has none) Wine waits
            # 2 s for one at every window hidden or destroyed, unless it
            # manages the windows itself.
            "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
                >/dev/null 2>&1 9>&-
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec "$wine64" "$@"
