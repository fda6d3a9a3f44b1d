#!/usr/bin/env python3
"""Another program on the server: watches a folder and, a moment after a file
named IMG_<n>.jpg there is closed after reading, creates the name that Tavrel
will give it (PREFIX + name) with O_CREAT | O_EXCL, as a careful program
would, and writes "rival" into it. The moment moves from file to file, from
at once to STEP_MS * 9 milliseconds later, so that the trials fall all over
the rename's requests. Runs until its standard input closes.

Prints "made NAME" for each name it created; "made-in-instant NAME" where
Tavrel's placeholder had held it, removed by the SMB layer's own rename.

    rival.py FOLDER PREFIX STEP_MS
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
libc = ctypes.CDLL(None, use_errno=True)
fd = libc.inotify_init1(os.O_CLOEXEC | os.O_NONBLOCK)
if fd < 0 or libc.inotify_add_watch(fd, folder.encode(), IN_CLOSE_NOWRITE | IN_CREATE) < 0:
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
