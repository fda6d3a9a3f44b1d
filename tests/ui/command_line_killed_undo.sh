#!/bin/bash
# A command-line run killed part-way, then `tavrel --undo`: the run renames
# the files of the slowed file system (which reads ahead on several threads),
# is killed with SIGKILL once a few hundred renames are seen on disk, and the
# undo names back every file its journal recorded: exit code 0, no file lost
# or replaced, and the files left with their new names (renamed after the last
# batch reached the journal) are no more than one batch.
# Usage: command_line_killed_undo.sh TAVREL SLOWED_FS
set -u
tavrel_binary=$1
slowed_fs=$2

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/slowed_mount.sh"
trap 'end_slowed_mount; cleanup' EXIT
export TZ=UTC LC_ALL=C XDG_STATE_HOME="$work/state"
stamp=20110914_
batch=256

make_files "2011-09-14 05:25:36"
mount_slowed 2000
renamed_on_disk() { (cd "$backing" && find . -type f -name "$stamp*" | grep -c .); }

"$tavrel_binary" "$mount" >"$work/run.out" 2>&1 &
run_pid=$!
enough_renamed() { [ "$(renamed_on_disk)" -ge 300 ] || ! kill -0 "$run_pid" 2>/dev/null; }
wait_until enough_renamed
kill -KILL "$run_pid"
wait "$run_pid" 2>/dev/null
killed_at=$(renamed_on_disk)
[ "$killed_at" -lt "$(grep -c . "$work/originals")" ] ||
    fail "the run ended before the kill: the file system was not slow enough"
set_delay 0

"$tavrel_binary" --undo >"$work/undo.out" 2>"$work/undo.err"
code=$?
[ "$code" = 0 ] || fail "--undo: exit code $code: $(head -c 500 "$work/undo.err")"
grep -q "have their old names again" "$work/undo.out" ||
    fail "--undo said: $(cat "$work/undo.out")"

# Every file under exactly one of its two names, none lost.
on_disk=$(files_on_disk)
[ "$(grep -c . <<<"$on_disk")" = "$(grep -c . "$work/originals")" ] ||
    fail "$(grep -c . <<<"$on_disk") files on disk after the undo"
left=$(awk -v stamp="$stamp" '
    NR == FNR { on_disk[$0] = 1; next }
    {
        dir = $0; sub(/\/[^\/]*$/, "", dir); name = substr($0, length(dir) + 2)
        old = ($0 in on_disk); new = ((dir "/" stamp name) in on_disk)
        if (old + new != 1) { print "neither or both names: " $0 > "/dev/stderr"; exit 1 }
        left += new
    }
    END { print left + 0 }' <(echo "$on_disk") "$work/originals") ||
    fail "after the undo, a file has lost its name"
[ "$left" -le "$batch" ] ||
    fail "$left of $killed_at files renamed before the kill keep their new names"
unmount_slowed
echo "killed run undone: $((killed_at - left)) of $killed_at files named back, $left unrecorded"
