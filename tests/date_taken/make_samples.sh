#!/bin/sh
# Makes tiny photos and videos with Debian's tools, each with a known date
# taken (or none), in DIR/samples, and writes DIR/expected: one line a sample,
# its name and the stamp of type 2 its date taken gives under TZ=Asia/Tokyo,
# or "-" where it has none and the last-write time decides. Every sample is
# last written at 2012-08-09 10:11:12 Tokyo time (20120809-101112_).
# Exits 77 where a tool is missing.
# Usage: make_samples.sh DIR
set -eu
dir=$1
for tool in exiftool ffmpeg heif-enc; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 77; }
done
samples="$dir/samples"
rm -rf "$samples"
mkdir -p "$samples"
: >"$dir/expected"
original='-DateTimeOriginal=2019:05:06 07:08:09'

picture() {  # FILE
    ffmpeg -loglevel error -y -f lavfi -i color=c=red:s=16x16 -frames:v 1 "$samples/$1"
}
exif() {  # FILE TAG...
    file=$1
    shift
    exiftool -q -overwrite_original "$@" "$samples/$file"
}
movie() {  # FILE FFMPEG-OPTION...
    file=$1
    shift
    ffmpeg -loglevel error -y -f lavfi -i color=c=blue:s=16x16:d=0.1 -c:v mpeg4 "$@" \
        "$samples/$file"
}
expect() { echo "$1 $2" >>"$dir/expected"; }

picture original.jpg && exif original.jpg "$original"
expect original.jpg 20190506-070808_
# exiftool calls DateTimeDigitized (0x9004) CreateDate.
picture digitized_only.jpg && exif digitized_only.jpg '-ExifIFD:CreateDate=2018:01:02 03:04:05'
expect digitized_only.jpg 20180102-030404_
# IFD0's DateTime is the last edit, never the date taken.
picture edit_date_only.jpg && exif edit_date_only.jpg '-IFD0:ModifyDate=2017:01:01 00:00:00'
expect edit_date_only.jpg -
picture zero_original.jpg &&
    exif zero_original.jpg '-ExifIFD:DateTimeOriginal#=0000:00:00 00:00:00' \
        '-ExifIFD:CreateDate=2016:06:07 08:09:10'
expect zero_original.jpg 20160607-080910_
# A date the stamp cannot show counts as none.
picture before_1980.jpg && exif before_1980.jpg '-DateTimeOriginal=1975:01:01 00:00:00'
expect before_1980.jpg -
picture motorola.jpg && exif motorola.jpg -ExifByteOrder=Big-endian "$original"
expect motorola.jpg 20190506-070808_
picture picture.tif && exif picture.tif "$original"
expect picture.tif 20190506-070808_
picture picture.webp && exif picture.webp "$original"
expect picture.webp 20190506-070808_
picture heif-source.png
heif-enc -q 50 -o "$samples/picture.heic" "$samples/heif-source.png" >/dev/null
rm "$samples/heif-source.png"
exif picture.heic "$original"
expect picture.heic 20190506-070808_
picture picture.png && exif picture.png "$original"
expect picture.png 20190506-070808_
# The movie header's time is UTC: 09:10:11 UTC is 18:10:10 in Tokyo. ffmpeg
# writes moov after mdat.
movie header.mp4 -metadata creation_time=2015-02-03T09:10:11Z
expect header.mp4 20150203-181010_
# The QuickTime keys date (in moov/meta, where exiftool puts it) is local
# time as written, its offset ignored; it wins over the movie header's.
movie keys.mov -metadata creation_time=2015-02-03T09:10:11Z
exif keys.mov '-Keys:CreationDate=2014:03:04 05:06:07+01:00'
expect keys.mov 20140304-050606_
movie no_date.mp4
expect no_date.mp4 -
echo "no date in here" >"$samples/notes.txt"
expect notes.txt -
# 2012-08-09 01:11:12 UTC.
TZ=UTC touch -m -d '2012-08-09 01:11:12' "$samples"/*
