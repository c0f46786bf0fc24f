#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh [--prefix DIR] PROGRAM [ARGUMENTS...]
# The prefix is $WINEPREFIX when set, else DIR, else ./wineprefix. The wineserver session of the
# prefix is managed by wine-session.sh; this script only runs one program in it.
prefix=$PWD/wineprefix
if [ "$1" = --prefix ]; then
    prefix=$2
    shift 2
fi
: "${WINEPREFIX:=$prefix}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}" # no offer to install Mono or Gecko
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
if [ -x /usr/lib/wine/wine64 ]; then
    exec /usr/lib/wine/wine64 "$@"
fi
exec wine64 "$@"
