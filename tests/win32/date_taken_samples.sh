#!/bin/sh
# Tavrel.exe under Wine on the samples of tests/date_taken/make_samples.sh: with StampType:2 and
# DateTaken:1 every sample gets the name the samples' list gives (the list the Linux program is
# held to), and with the line absent every name comes from the last-write time. Exits 77 where a
# sample tool is missing.
# Usage: date_taken_samples.sh TAVREL_EXE
set -eu
. "$(dirname "$0")/wine_env.sh"
export TZ=Asia/Tokyo
work=$(mktemp -d "$TAVREL_WINE_ROOT/date-taken.XXXXXX")
trap 'rm -rf "$work"' EXIT
sh "$(dirname "$0")/../date_taken/make_samples.sh" "$work"

check() {  # NAME SETTINGS SED-SCRIPT: the names are the list's, rewritten by the sed script
    mkdir -p "$work/$1/program" && cp "$exe" "$work/$1/program/Tavrel.exe"
    printf "$2" >"$work/$1/program/setup.ini"
    cp -a "$work/samples" "$work/$1/photos"
    wine "$work/$1/program/Tavrel.exe" "$(winepath -w "$work/$1/photos")" </dev/null \
        >"$work/out" 2>&1 || { cat "$work/out"; echo "$1: Tavrel.exe failed" >&2; exit 1; }
    sed "$3" "$work/expected" | LC_ALL=C sort >"$work/$1/expected"
    ls "$work/$1/photos" | LC_ALL=C sort | diff -u "$work/$1/expected" - ||
        { echo "$1: the names differ from the list" >&2; exit 1; }
}
exe=$1
check on 'StampType:2\r\nDateTaken:1\r\n' 's/ -$/ 20120809-101112_/; s/\(.*\) \(.*\)/\2\1/'
check absent 'StampType:2\r\n' 's/\(.*\) .*/20120809-101112_\1/'
echo "Tavrel.exe: $(wc -l <"$work/expected") samples named as the list gives"
