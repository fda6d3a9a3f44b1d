#!/bin/sh
# Runs the window's test program under Wine on the X display it was started
# with (xvfb-run), in a Wine prefix of its own that is removed afterwards. With
# TAVREL_TEST_DPI set, the prefix's screen has that many pixels per inch.
# Usage: run_window_tests.sh WINE_SCRIPTS TEST_PROGRAM [ARGUMENTS...]
set -u
scripts=$1
shift
TAVREL_WINE_ROOT=$(mktemp -d /tmp/tavrel-window-wine-XXXXXX)
TAVREL_WINE_DISPLAY=1
export TAVREL_WINE_ROOT TAVREL_WINE_DISPLAY
trap 'sh "$scripts/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"' EXIT
sh "$scripts/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >/dev/null || exit 1
if [ -n "${TAVREL_TEST_DPI:-}" ]; then
    sh "$scripts/wine_run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$TAVREL_TEST_DPI" /f >/dev/null || exit 1
fi
sh "$scripts/wine_run.sh" "$@"
