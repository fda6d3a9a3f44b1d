#!/usr/bin/env python3
"""The list of tests/date_taken/make_samples.sh against exiftool's reading of the same tags.

The stamp listed for each sample, the one the Linux program and Tavrel.exe are held to, must be the
one the rule picks from exiftool's values: EXIF DateTimeOriginal, then DateTimeDigitized, then the
QuickTime keys creation date (each local time as written, an offset ignored), then the movie
header's creation time (UTC, shown in Tokyo); zeros, impossible fields and years outside 1980 to
2107 (a movie time of 1904 or of the Unix epoch among them) count as none ("-").
Exits 77 (skipped) where a tool that makes the samples is missing.
"""
import calendar
import json
import os
import subprocess
import sys
import tempfile
import time

MAKER = os.path.join(os.path.dirname(__file__), "..", "date_taken", "make_samples.sh")


def usable(values, key):
    """The time of the value "YYYY:MM:DD HH:MM:SS..." when it is one a stamp can show."""
    try:
        date = time.strptime(values.get(key, "")[:19], "%Y:%m:%d %H:%M:%S")
    except ValueError:
        return None
    return date if 1980 <= date.tm_year <= 2107 and date.tm_sec <= 59 else None


def expected(values):
    """The stamp of type 2 (even seconds) that the rule picks from exiftool's values."""
    local = ("ExifIFD:DateTimeOriginal", "ExifIFD:CreateDate", "Keys:CreationDate")
    date = next(filter(None, (usable(values, key) for key in local)), None)
    if not date:
        utc = usable(values, "QuickTime:CreateDate")
        if not utc:
            return "-"
        date = time.gmtime(calendar.timegm(utc) + 9 * 3600)  # Tokyo, UTC+9 all year
    return time.strftime("%Y%m%d-%H%M", date) + "%02d_" % (date.tm_sec & ~1)


def main():
    with tempfile.TemporaryDirectory(prefix="tavrel-media-") as folder:
        made = subprocess.run(["sh", MAKER, folder], stderr=subprocess.PIPE, text=True)
        if made.returncode:
            print(made.stderr)
            return made.returncode
        with open(os.path.join(folder, "expected")) as listing:
            listed = dict(line.split() for line in listing)
        values = json.loads(subprocess.run(
            ["exiftool", "-j", "-G1", "-a", "-DateTimeOriginal", "-CreateDate",
             "-Keys:CreationDate", "-QuickTime:CreateDate",
             *(os.path.join(folder, "samples", name) for name in listed)],
            check=True, capture_output=True, text=True).stdout)
    failed = len(values) != len(listed)
    for value in values:
        name, want = os.path.basename(value["SourceFile"]), expected(value)
        failed |= want != listed[name]
        print("%-4s %-20s listed: %-17s rule on exiftool: %s" % (
            "ok" if want == listed[name] else "DIFF", name, listed[name], want))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
