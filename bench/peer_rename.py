"""A plain Python way to stamp every file below a folder: os.scandir to walk,
the file's last-write time in local time, a check that the new name is free,
os.rename. The peer that Tavrel's command line is measured against."""
import os
import sys
import time


def stamp(folder):
    with os.scandir(folder) as entries:
        listed = list(entries)
    for entry in listed:
        if entry.is_dir(follow_symlinks=True):
            stamp(entry.path)
            continue
        stamp_text = time.strftime("%Y%m%d_", time.localtime(entry.stat().st_mtime))
        target = os.path.join(folder, stamp_text + entry.name)
        if not os.path.lexists(target):
            os.rename(entry.path, target)


stamp(sys.argv[1])
