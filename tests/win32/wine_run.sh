#!/bin/sh
# Runs one Windows program under Wine in the test run's prefix (ctest's
# emulator for the Windows tests). The program's output is collected in files
# and printed once Wine has ended: a Wine service started on the way inherits
# those files instead of ctest's pipes, which would keep ctest waiting.
set -u
. "$(dirname "$0")/wine_env.sh"
out=$(mktemp "$TAVREL_WINE_ROOT/run.XXXXXX")
err=$(mktemp "$TAVREL_WINE_ROOT/run.XXXXXX")
wine "$@" </dev/null >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
