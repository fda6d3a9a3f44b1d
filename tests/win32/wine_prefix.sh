#!/bin/sh
# Makes (setup) or removes (cleanup) the one Wine prefix that a run of the
# Windows tests shares. Usage: wine_prefix.sh setup|cleanup ROOT
set -eu
action=$1
TAVREL_WINE_ROOT=$2
export TAVREL_WINE_ROOT
. "$(dirname "$0")/wine_env.sh"

case $action in
setup)
    # A prefix left by an interrupted run is replaced.
    if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
    rm -rf "$TAVREL_WINE_ROOT"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$LOCPATH"
    chmod 700 "$XDG_RUNTIME_DIR"
    localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null ||
        { [ -f "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ] || { echo "localedef failed" >&2; exit 1; }; }
    # The server is started first, with its output detached, and stays for the
    # whole run, so that each test starts quickly. Wine's services inherit the
    # output of the process that starts them: the prefix's start writes to a
    # file, never to ctest's pipes.
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot -i </dev/null >"$TAVREL_WINE_ROOT/wineboot.log" 2>&1
    # The reference regional settings as the user's own overrides: Wine's
    # Japanese data differs from Windows' (its short date is yyyy/M/d). Wine
    # takes the hour style from sTimeFormat, Windows from iTime and iTLZero.
    key='HKCU\Control Panel\International'
    set -- sShortDate yyyy/MM/dd sDate / sTime : sTimeFormat H:mm:ss \
        iTime 1 iTLZero 0 iTimePrefix 0 s1159 午前 s2359 午後
    while [ $# -gt 0 ]; do
        wine reg add "$key" /v "$1" /t REG_SZ /d "$2" /f </dev/null >>"$TAVREL_WINE_ROOT/wineboot.log" 2>&1
        shift 2
    done
    wine reg query "$key" /v sShortDate </dev/null 2>/dev/null | grep -q 'yyyy/MM/dd' ||
        { echo "the regional settings could not be set; see $TAVREL_WINE_ROOT/wineboot.log" >&2; exit 1; }
    echo "Wine prefix ready in $WINEPREFIX"
    ;;
cleanup)
    if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
    rm -rf "$TAVREL_WINE_ROOT"
    ;;
*)
    echo "usage: $0 setup|cleanup ROOT" >&2
    exit 2
    ;;
esac
