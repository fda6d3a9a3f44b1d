#!/bin/bash
# Demonstrates command-line mode: builds a sample folder, shows the names,
# renames everything in it with the stored stamp type, shows the names again.
set -euo pipefail
tavrel=${1:?usage: demo.sh TAVREL SAMPLE_DIR}
sample=${2:?usage: demo.sh TAVREL SAMPLE_DIR}

rm -rf "$sample"
mkdir -p "$sample/holiday/day two" "$sample/.hidden"
make_file() { printf 'sample\n' > "$sample/$1"; touch -d "$2" "$sample/$1"; }
make_file "IMG_0001.jpg"                 "2011-09-14 05:25:37"
make_file "IMG_0002.jpg"                 "2011-09-14 17:05:08"
make_file "20110914_IMG_0002.jpg"        "2011-09-14 09:00:00"   # IMG_0002's new name is taken
make_file "20100101_scan.png"            "2019-03-02 12:00:00"   # an old stamp is replaced
make_file "20100131-235959_memo.txt"     "2020-02-29 23:59:58"   # so is one of the other form
make_file "notes"                        "2005-06-07 08:09:10"
make_file "holiday/beach.jpg"            "2015-07-15 10:30:00"
make_file "holiday/day two/sunset.jpg"   "2015-07-16 20:45:00"
make_file ".hidden/.profile"             "2024-01-01 00:00:00"

echo "Before:"
(cd "$sample" && find . -type f | LC_ALL=C sort | sed 's/^/  /')
echo
echo "Running: $tavrel $sample"
"$tavrel" "$sample"
echo
echo "After:"
(cd "$sample" && find . -type f | LC_ALL=C sort | sed 's/^/  /')
