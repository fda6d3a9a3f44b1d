#!/bin/sh
# Tavrel.exe under Wine on the samples of tests/date_taken/make_samples.sh,
# with StampType:2 and DateTaken:1: every sample must get the name the
# samples' list gives (the list the Linux program is held to), and with the
# line absent, every name comes from the last-write time. Exits 77 where a
# sample tool is missing.
# Usage: date_taken_samples.sh TAVREL_EXE
set -eu
. "$(dirname "$0")/wine_env.sh"
export TZ=Asia/Tokyo
exe=$1
work=$(mktemp -d "$TAVREL_WINE_ROOT/date-taken.XXXXXX")
trap 'rm -rf "$work"' EXIT
sh "$(dirname "$0")/../date_taken/make_samples.sh" "$work"
last_write=20120809-101112_

check() {  # NAME SETTINGS EXPECTED-NAMES-FILE
    mkdir -p "$work/$1/program"
    cp "$exe" "$work/$1/program/Tavrel.exe"
    printf "$2" >"$work/$1/program/setup.ini"
    cp -a "$work/samples" "$work/$1/photos"
    wine "$work/$1/program/Tavrel.exe" "$(winepath -w "$work/$1/photos")" </dev/null \
        >"$work/$1/out" 2>&1 || { cat "$work/$1/out"; echo "$1: Tavrel.exe failed" >&2; exit 1; }
    ls "$work/$1/photos" | LC_ALL=C sort >"$work/$1/names"
    if ! diff -u "$3" "$work/$1/names"; then
        echo "$1: the names differ from the list" >&2
        exit 1
    fi
}
while read -r name stamp; do
    [ "$stamp" = - ] && stamp=$last_write
    echo "$stamp$name"
done <"$work/expected" | LC_ALL=C sort >"$work/with_date_taken"
sed "s/^/$last_write/" "$work/expected" | cut -d' ' -f1 | LC_ALL=C sort >"$work/as_before"
check on 'StampType:2\r\nDateTaken:1\r\n' "$work/with_date_taken"
check absent 'StampType:2\r\n' "$work/as_before"
echo "Tavrel.exe: $(wc -l <"$work/expected") samples named as the list gives"
