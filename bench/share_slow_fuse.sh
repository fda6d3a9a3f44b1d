#!/usr/bin/env bash
# 5,000 files on a FUSE layer that answers every request after 1 ms, as a
# file server far away would (bench/slow_fs.c; it counts the requests), in 10
# folders of 500 and in one folder of 5,000: Tavrel against the floor (the
# same system calls one after another) and perl's rename.
# Targets: Tavrel <= 0.33 x the floor in 10 folders, <= 0.5 x in one.
source "$(dirname "$0")/share_lib.sh"
LABEL="rename $COUNT files on a FUSE layer answering after 1 ms"
if [ ! -x "$BIN/bench_slow_fs" ] || [ ! -w /dev/fuse ]; then
    result "$LABEL" "(no libfuse3 or no /dev/fuse here)" "" "" "<= 0.33 / <= 0.5 × floor" FAIL
    exit 1
fi
COUNTS="$SHARE/counts"
mount_share() { mount_slow_fuse; }
unmount_share() { unmount_slow_fuse; }
measure_share
share_result "$LABEL" 0.33 0.5
