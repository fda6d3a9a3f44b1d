#!/usr/bin/env python3
"""Another program on the server: watches a folder and, a moment after a file
named IMG_<n>.jpg there is closed after reading, creates the name that Tavrel
will give it (PREFIX + name) with O_CREAT | O_EXCL, as a careful program
would, and writes "rival" into it. The moment moves from file to file, from
at once to STEP_MS * 9 milliseconds later, so that the trials fall all over
the rename's requests. Runs until its standard input closes.

Prints "made NAME" for each name it created; "made-in-instant NAME" where
Tavrel's placeholder had held it, removed by the SMB layer's own rename.

A layer that opens nothing on the server while Tavrel reads a file (it
answers from what it fetched before) shows the read in its own folder:
READ_FOLDER, the same folder as the layer's client sees it, is then watched
for the reads instead.

    rival.py FOLDER PREFIX STEP_MS [READ_FOLDER]
"""
import collections
import ctypes
import os
import select
import struct
import sys
import time

IN_CLOSE_NOWRITE, IN_CREATE = 0x10, 0x100
folder, prefix, step = sys.argv[1], sys.argv[2], float(sys.argv[3]) / 1000
read_folder = sys.argv[4] if len(sys.argv) > 4 else folder
libc = ctypes.CDLL(None, use_errno=True)
fd = libc.inotify_init1(os.O_CLOEXEC | os.O_NONBLOCK)
# Names created are counted on the server alone: the layer's folder would
# also show Tavrel's own placeholders.
watches = [(folder, IN_CREATE | (IN_CLOSE_NOWRITE if read_folder == folder else 0))]
if read_folder != folder:
    watches.append((read_folder, IN_CLOSE_NOWRITE))
if fd < 0 or any(libc.inotify_add_watch(fd, path.encode(), mask) < 0 for path, mask in watches):
    sys.exit("inotify: " + os.strerror(ctypes.get_errno()))
print("watching", flush=True)
done, read_files, creations = set(), collections.deque(), collections.Counter()


def drain():
    """Takes in every event queued: files read, and names created."""
    while True:
        try:
            data = os.read(fd, 65536)
        except BlockingIOError:
            return
        offset = 0
        while offset < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, offset)
            name = data[offset + 16:offset + 16 + length].rstrip(b"\0").decode()
            offset += 16 + length
            if mask & IN_CREATE:
                creations[name] += 1
            elif name.startswith("IMG_") and name.endswith(".jpg") and name not in done:
                done.add(name)
                read_files.append(name)


while True:
    ready, _, _ = select.select([fd, sys.stdin], [], [])
    if sys.stdin in ready and not sys.stdin.readline():
        break
    drain()
    while read_files:
        name = read_files.popleft()
        time.sleep(step * (int(name[4:-4]) % 10))
        target = prefix + name
        try:
            made = os.open(os.path.join(folder, target), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        except FileExistsError:
            continue
        os.write(made, b"rival")
        os.close(made)
        # The event of this creation is queued by now: one before it was another's.
        drain()
        print("made-in-instant" if creations[target] > 1 else "made", target, flush=True)
