#!/bin/bash
# A command-line run on the slowed file system killed with SIGKILL once a few
# hundred renames are on disk, then `tavrel --undo`: exit code 0, every file
# under exactly one of its two names, and no more than one batch of 256 (renamed
# after the last write to the journal) left with its new name.
# Usage: command_line_killed_undo.sh TAVREL SLOWED_FS
set -u
tavrel_binary=$1
slowed_fs=$2

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/slowed_mount.sh"
trap 'end_slowed_mount; cleanup' EXIT
export TZ=UTC LC_ALL=C
stamp=20110914_

make_files "2011-09-14 05:25:36"
mount_slowed 2000
renamed_on_disk() { files_on_disk | grep -c "/$stamp"; }

"$tavrel_binary" "$mount" >"$work/run.out" 2>&1 &
run_pid=$!
enough_renamed() { [ "$(renamed_on_disk)" -ge 300 ] || ! kill -0 "$run_pid" 2>/dev/null; }
wait_until enough_renamed
kill -KILL "$run_pid"
wait "$run_pid" 2>/dev/null
[ "$(renamed_on_disk)" -lt "$(grep -c . "$work/originals")" ] ||
    fail "the run ended before the kill: the file system was not slow enough"
set_delay 0

"$tavrel_binary" --undo >"$work/undo.out" 2>&1 ||
    fail "--undo: exit code $?: $(head -c 500 "$work/undo.out")"
[ "$(files_on_disk | sed "s|/$stamp|/|" | LC_ALL=C sort)" = "$(LC_ALL=C sort "$work/originals")" ] ||
    fail "after the undo, a file has lost its name or bears both"
[ "$(renamed_on_disk)" -le 256 ] || fail "$(renamed_on_disk) files keep their new names after the undo"
unmount_slowed
