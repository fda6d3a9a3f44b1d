#!/bin/sh
# Tavrel.exe under Wine, with StampType:2 and DateTaken:1, names the samples of
# tests/date_taken/make_samples.sh as their list gives: each by its date taken read through the
# Windows file layer, or by its last-write time. Exits 77 where a sample tool is missing.
# Usage: date_taken_samples.sh TAVREL_EXE
set -eu
. "$(dirname "$0")/wine_env.sh"
export TZ=Asia/Tokyo
work=$(mktemp -d "$TAVREL_WINE_ROOT/date-taken.XXXXXX")
trap 'rm -rf "$work"' EXIT
sh "$(dirname "$0")/../date_taken/make_samples.sh" "$work"
mkdir "$work/program" && cp "$1" "$work/program/Tavrel.exe"
printf 'StampType:2\r\nDateTaken:1\r\n' >"$work/program/setup.ini"
wine "$work/program/Tavrel.exe" "$(winepath -w "$work/samples")" </dev/null >"$work/out" 2>&1 ||
    { cat "$work/out"; echo "Tavrel.exe failed" >&2; exit 1; }
sed 's/ -$/ 20120809-101112_/; s/\(.*\) \(.*\)/\2\1/' "$work/expected" | LC_ALL=C sort >"$work/names"
ls "$work/samples" | LC_ALL=C sort | diff -u "$work/names" -
