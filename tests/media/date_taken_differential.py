#!/usr/bin/env python3
"""The media reader's date taken against exiftool's reading of the same tags.

Makes tiny samples of every container that Debian's tools can make (ImageMagick, heif-enc,
ffmpeg), writes the date tags with exiftool, and checks that the probe's date for each sample is
the one the rule picks from exiftool's values: EXIF DateTimeOriginal, then DateTimeDigitized
(local time as written), then the QuickTime keys creation date (local time as written, offset
ignored), then the movie header's creation time (UTC); zeros and impossible dates count as none.

    date_taken_differential.py PROBE [--keep DIR]

Exits 77 (skipped) when exiftool is missing; a sample whose making tool is missing is skipped
and named. --keep leaves the samples in DIR (the fuzz target's seeds are made so).
"""
import calendar
import json
import os
import shutil
import subprocess
import sys
import tempfile

SHOT = "2019:06:01 14:03:22"
SCANNED = "2018:01:01 00:00:00"
EDITED = "2023:03:03 03:03:03"
CREATION_TIME = "2019-06-01T12:03:22Z"  # the movie header's time, UTC


def tool(name):
    # /usr/bin first: ImageMagick's convert may be shadowed by something else of that name.
    for folder in ("/usr/bin", "/bin"):
        if os.access(os.path.join(folder, name), os.X_OK):
            return os.path.join(folder, name)
    return shutil.which(name)


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def tag(path, *assignments):
    run(tool("exiftool"), "-q", "-q", "-overwrite_original", *assignments, path)


def exif(original=None, digitized=None, edited=None, byte_order=None):
    assignments = []
    if byte_order:
        assignments.append("-ExifByteOrder=" + byte_order)
    for name, value in (("DateTimeOriginal", original), ("CreateDate", digitized),
                        ("ModifyDate", edited)):
        if value is not None:
            assignments.append("-EXIF:%s=%s" % (name, value))
    return assignments


def usable(text):
    """The fields of "YYYY:MM:DD HH:MM:SS..." when they make a date a stamp can show."""
    try:
        year, month, day = int(text[0:4]), int(text[5:7]), int(text[8:10])
        hour, minute, second = int(text[11:13]), int(text[14:16]), int(text[17:19])
    except ValueError:
        return None
    if not (1980 <= year <= 2107 and 1 <= month <= 12 and 0 <= hour <= 23 and 0 <= minute <= 59
            and 0 <= second <= 59):
        return None
    if not 1 <= day <= calendar.monthrange(year, month)[1]:
        return None
    return text[:19]


def expected(values):
    """The date the rule picks from exiftool's values of one sample."""
    for key in ("ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate", "Keys:CreationDate"):
        date = usable(values.get(key, ""))
        if date:
            return "local " + date
    movie = values.get("QuickTime:CreateDate", "")
    if movie[:19] not in ("", "0000:00:00 00:00:00", "1970:01:01 00:00:00"):
        return "utc " + movie[:19]
    return "none"


def image(path, source_format, tags, options=()):
    run(tool("convert"), "-size", "16x16", "xc:gray", *options, source_format + ":" + path)
    tag(path, *tags)


def movie(path, tags=(), options=(), creation_time=CREATION_TIME):
    run(tool("ffmpeg"), "-v", "error", "-y", "-f", "lavfi", "-i",
        "color=c=gray:s=16x16:d=0.2:r=5", "-metadata", "creation_time=" + creation_time,
        *options, path)
    if tags:
        tag(path, *tags)


def heif(path, tags, options=()):
    # heif-enc carries the JPEG's EXIF over into the Exif item.
    image(path + ".jpg", "jpg", tags)
    run(tool("heif-enc"), "-q", "30", *options, path + ".jpg", "-o", path)
    os.remove(path + ".jpg")


BOTH = exif(SHOT, SCANNED)
# (file name, tools it needs, maker of the file at a path)
SAMPLES = [
    ("jpeg_original.jpg", ["convert"], lambda p: image(p, "jpg", exif(SHOT, SCANNED, EDITED))),
    ("jpeg_big_endian.jpg", ["convert"], lambda p: image(p, "jpg", exif(SHOT, byte_order="MM"))),
    ("jpeg_digitized_only.jpg", ["convert"], lambda p: image(p, "jpg", exif(None, SCANNED))),
    ("jpeg_zero_original.jpg", ["convert"],
     lambda p: image(p, "jpg", exif("0000:00:00 00:00:00", SCANNED))),
    ("jpeg_edited_only.jpg", ["convert"], lambda p: image(p, "jpg", exif(edited=EDITED))),
    ("tiff_little_endian.tif", ["convert"], lambda p: image(p, "tiff", BOTH, ["-endian", "LSB"])),
    ("tiff_big_endian.tif", ["convert"], lambda p: image(p, "tiff", BOTH, ["-endian", "MSB"])),
    ("png.png", ["convert"], lambda p: image(p, "png", BOTH)),
    ("webp.webp", ["convert"], lambda p: image(p, "webp", BOTH)),
    ("heic.heic", ["convert", "heif-enc"], lambda p: heif(p, BOTH)),
    ("avif.avif", ["convert", "heif-enc"], lambda p: heif(p, exif(None, SCANNED), ["-A"])),
    ("mp4_moov_after_mdat.mp4", ["ffmpeg"], lambda p: movie(p)),
    ("mp4_moov_first.mp4", ["ffmpeg"], lambda p: movie(p, options=["-movflags", "+faststart"])),
    ("mov.mov", ["ffmpeg"], lambda p: movie(p)),
    ("mov_epoch.mov", ["ffmpeg"], lambda p: movie(p, creation_time="1970-01-01T00:00:00Z")),
    ("mov_keys.mov", ["ffmpeg"],
     lambda p: movie(p, ["-Keys:CreationDate=2019:06:01 16:03:22+02:00"])),
    ("m4v.m4v", ["ffmpeg"], lambda p: movie(p, options=["-f", "ipod"])),
    ("3gp.3gp", ["ffmpeg"], lambda p: movie(p, options=["-c:v", "mpeg4", "-f", "3gp"])),
]


def main():
    probe = sys.argv[1]
    keep = sys.argv[sys.argv.index("--keep") + 1] if "--keep" in sys.argv else None
    if not tool("exiftool"):
        print("SKIP: exiftool (libimage-exiftool-perl) is missing")
        return 77
    folder = keep or tempfile.mkdtemp(prefix="tavrel-media-")
    os.makedirs(folder, exist_ok=True)
    made, skipped = [], []
    for name, tools, make in SAMPLES:
        missing = [t for t in tools if not tool(t)]
        if missing:
            skipped.append("%s (no %s)" % (name, ", ".join(missing)))
            continue
        make(os.path.join(folder, name))
        made.append(os.path.join(folder, name))
    if not made:
        print("SKIP: no sample could be made:", "; ".join(skipped))
        return 77
    values = json.loads(subprocess.run(
        [tool("exiftool"), "-j", "-G1", "-a", "-DateTimeOriginal", "-CreateDate",
         "-Keys:CreationDate", "-QuickTime:CreateDate", *made],
        check=True, capture_output=True, text=True).stdout)
    read = subprocess.run([probe, *made], check=True, capture_output=True,
                          text=True).stdout.splitlines()
    passed = failed = 0
    for path, oracle, ours in zip(made, values, read):
        want = expected(oracle)
        ok = want == ours
        passed, failed = passed + ok, failed + (not ok)
        print("%-4s %-26s reader: %-28s rule on exiftool: %s" % (
            "ok" if ok else "DIFF", os.path.basename(path), ours, want))
    for name in skipped:
        print("skipped", name)
    if not keep:
        shutil.rmtree(folder)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or len(read) != len(made) else 0


if __name__ == "__main__":
    sys.exit(main())
