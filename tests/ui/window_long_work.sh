#!/bin/bash
# The window's long work, end to end, in a real X server (run under xvfb-run)
# with a window manager, on 3,000 files behind a file system that answers each
# request late: a dragged folder's walk shows its progress in the title; a
# rename pass shows "done / total", Esc stops it after the file in hand and
# leaves every file renamed or untouched, none lost; Ctrl+Z names the renamed
# files back; the window closes as usual.
#
# The test changes the file system's delay as it goes: slow while it waits to
# see progress, at full speed once it has seen what it waited for.
# Usage: window_long_work.sh TAVREL SLOWED_FS DRAG_SOURCE SCREENSHOT_DIR
set -u
tavrel_binary=$1
slowed_fs=$2
drag_source=$3
screenshots=$4

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/slowed_mount.sh"
trap 'end_slowed_mount; cleanup' EXIT
export TZ=UTC LC_ALL=C

stamp=20110914_
make_files "2011-09-14 05:25:36"
# A walk of 150 folders at 10 ms a request lasts seconds, long enough to be
# seen in progress however busy the machine is; it is sped up once seen.
mount_slowed 10000

mkdir -p "$screenshots" "$work/app"
rm -f "$screenshots/failure-$(basename "$0" .sh).png"
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
start_window_manager
"$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" & tavrel_pid=$!
pids+=($tavrel_pid)
title="Tavrel v1.2.0.13"
title_pattern="^Tavrel v1\.2\.0\.13"
window=$(wait_for_window "$title") || fail "no window titled '$title'"
xdotool windowmove --sync "$window" 40 40

# The drop: while the walk runs, the title counts the files found so far.
drag_onto "$window" "$mount"
wait_for_title "$window" "$title_pattern — [1-9][0-9,]*\$" >/dev/null ||
    fail "the walk showed no progress; the title is '$(title_of "$window")'"
set_delay 0
wait_for_title "$window" "$title_pattern\$" >/dev/null ||
    fail "the walk did not end; the title is '$(title_of "$window")'"
end_drag_source

# Execute, seen in progress, then Esc.
execute_and_stop "$window" "$title_pattern"
check_stopped_pass "$(cat "$work/originals")"
count=$(grep -c . <<<"$renamed")
echo "the pass stopped after $count files (progress seen: '$progress')"

# Undo: held at its first file, it shows 0 of the files the pass renamed.
set_delay 1000000000
xdotool key ctrl+z
grouped=$(printf '%d' "$count" | sed -E ':a; s/([0-9])([0-9]{3})($|,)/\1,\2\3/; ta')
wait_for_title "$window" "$title_pattern — 0 / $grouped\$" >/dev/null ||
    fail "the undo showed no progress over $grouped files; the title is '$(title_of "$window")'"
set_delay 0
wait_until originals_back || fail "after the undo: $(diff <(files_on_disk) \
    <(LC_ALL=C sort "$work/originals") | head -n 5)"
wait_for_title "$window" "$title_pattern\$" >/dev/null ||
    fail "the undo did not end; the title is '$(title_of "$window")'"

# Close the window: it writes setup.ini and ends with exit code 0.
wmctrl -i -c "$window"
wait_for_exit $tavrel_pid
[ "$code" = 0 ] || fail "window mode ended with '$code': $(cat "$work/tavrel.err")"
[ "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" = " S t a m p T y p e : 1 \r \n" ] ||
    fail "setup.ini: $(od -c "$work/app/setup.ini")"
unmount_slowed
echo "window long work: passed"
