#!/bin/sh
# Makes tiny photos and videos with Debian's tools in DIR/samples, for the rename checks, the
# differential test against exiftool and the fuzz seeds, and lists in DIR/expected each sample's
# name and the stamp of type 2 its date taken gives under TZ=Asia/Tokyo, or "-" where it has none
# and its last-write time (20120809-101112_ in Tokyo) decides. Exits 77 where a tool is missing.
# Usage: make_samples.sh DIR
set -eu
export PATH=/usr/bin:/bin  # ImageMagick's convert, not another program of that name
for tool in convert exiftool ffmpeg heif-enc; do
    command -v $tool >/dev/null || { echo "$tool is missing" >&2; exit 77; }
done
dir=$1 s=$1/samples
rm -rf "$s" && mkdir -p "$s" && : >"$dir/expected"
shot='-DateTimeOriginal=2019:05:06 07:08:09' scanned='-ExifIFD:CreateDate=2018:01:02 03:04:05'
edited='-IFD0:ModifyDate=2017:01:01 00:00:00'

tag() {  # NAME STAMP TAG...: exiftool writes the tags into the sample; its stamp is listed
    echo "$1 $2" >>"$dir/expected" && file=$s/$1 && shift 2
    [ $# = 0 ] || exiftool -q -q -overwrite_original "$@" "$file"
}
movie() {  # NAME STAMP FFMPEG-OPTION...
    echo "$1 $2" >>"$dir/expected" && file=$s/$1 && shift 2
    ffmpeg -v error -y -f lavfi -i color=c=blue:s=16x16:d=0.1 -c:v mpeg4 "$@" "$file"
}

for name in original.jpg digitized_only.jpg edit_date_only.jpg picture.png picture.webp \
    little_endian.tif; do
    convert -size 16x16 xc:gray "$s/$name"
done
convert -size 16x16 xc:gray -define tiff:endian=msb "$s/big_endian.tif"
heif-enc -q 50 -o "$s/picture.heic" "$s/picture.png" >/dev/null
# exiftool writes a new EXIF block big-endian. DateTimeOriginal wins over DateTimeDigitized
# (exiftool's CreateDate); IFD0's DateTime (its ModifyDate) is the last edit, never the date taken.
tag original.jpg 20190506-070808_ "$shot" "$scanned" "$edited"
tag digitized_only.jpg 20180102-030404_ "$scanned"
tag edit_date_only.jpg - "$edited"
for name in little_endian.tif big_endian.tif picture.png picture.webp picture.heic; do
    tag $name 20190506-070808_ "$shot" "$scanned"
done
# The movie header's time is UTC: 09:10:11 UTC is 18:10:10 in Tokyo. ffmpeg writes moov after
# mdat unless told +faststart, and a header time of 1904 when given none.
utc=creation_time=2015-02-03T09:10:11Z
movie after_mdat.mp4 20150203-181010_ -metadata $utc
movie moov_first.mp4 20150203-181010_ -metadata $utc -movflags +faststart
movie no_date.mp4 -
movie epoch.mov - -metadata creation_time=1970-01-01T00:00:00Z
# The keys date (in moov/meta, where exiftool puts it) is local time as written, its offset
# ignored; it wins over the header's time.
movie keys.mov 20140304-050606_ -metadata $utc
exiftool -q -q -overwrite_original '-Keys:CreationDate=2014:03:04 05:06:07+01:00' "$s/keys.mov"
echo "no date in here" >"$s/notes.txt" && tag notes.txt -
TZ=UTC touch -m -d '2012-08-09 01:11:12' "$s"/*
