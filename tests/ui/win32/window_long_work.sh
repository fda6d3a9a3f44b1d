#!/bin/bash
# Tavrel.exe's long work, end to end, under Wine in a real X server (run under
# xvfb-run) with a window manager, on 3,000 files behind a file system that
# answers each request late (Wine sees the mount through its Z: drive): a
# dragged folder's walk shows its progress in the title; a rename pass shows
# "done / total", Esc stops it after the file in hand, every file renamed or
# untouched and the list showing each one's name now; Ctrl+Z names the renamed
# files back; the window closes as usual. Another program reads the list's
# entries from the list box, in their order.
#
# The test changes the file system's delay as it goes: slow while it waits to
# see progress, at full speed once it has seen what it waited for. It never
# holds a request outright: Wine's server opens and renames the files itself,
# and every Wine process waits while it waits.
# Usage: window_long_work.sh TAVREL_EXE SLOWED_FS DRAG_SOURCE SCREENSHOT_DIR TEST_HELPER_EXE
set -u
tavrel_exe=$1
slowed_fs=$2
drag_source=$3
screenshots=$4
test_helper=$5

x_wait_seconds=120
source "$(dirname "$0")/../x_session.sh"
source "$(dirname "$0")/../slowed_mount.sh"

wine_scripts="$(dirname "$0")/../../win32"
export TAVREL_WINE_ROOT="$work/wine" TAVREL_WINE_DISPLAY=1
end_wine() {
    end_slowed_mount
    sh "$wine_scripts/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"
    cleanup
}
trap end_wine EXIT

stamp=20110914_
export TZ=UTC
make_files "2011-09-14 05:25:36"
# A walk at 10 ms a request lasts long enough to be seen in progress however
# busy the machine is; it is sped up once seen.
mount_slowed 10000

sh "$wine_scripts/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >"$work/prefix.out" 2>&1 ||
    fail "no Wine prefix: $(cat "$work/prefix.out")"
eval "$(sh -c '. "$1" && export -p' sh "$wine_scripts/wine_env.sh")" ||
    fail "the Wine settings could not be read"
[ "$WINEPREFIX" = "$TAVREL_WINE_ROOT/prefix" ] || fail "Wine prefix outside the test folder"

mkdir -p "$screenshots" "$work/app"
rm -f "$screenshots/failure-$(basename "$0" .sh).png"
cp "$tavrel_exe" "$work/app/Tavrel.exe"
start_window_manager
wine "$work/app/Tavrel.exe" </dev/null >"$work/tavrel.out" 2>&1 &
pid=$!
pids+=($pid)
title="Tavrel v1.2.0.13"
title_pattern="^Tavrel v1\.2\.0\.13"
window=$(wait_for_window "$title") || fail "no window titled '$title'"
xdotool windowmove --sync "$window" 40 40

# The mount's files as Wine shows them to Windows programs: "Z:" and "\".
mount_in_windows="Z:${mount//\//\\}\\"
# The list's entries as another program reads them (LB_GETTEXT), in the list's
# order, as paths relative to the mount.
listed_files() {
    wine "$test_helper" list-entries "Z:${work//\//\\}\\entries.txt" </dev/null \
        >/dev/null 2>&1 || return 1
    # The prefix goes in through the environment: awk -v would read its "\t".
    tr -d '\r' <"$work/entries.txt" | prefix=$mount_in_windows awk '
        index($0, ENVIRON["prefix"]) == 1 { $0 = substr($0, length(ENVIRON["prefix"]) + 1) }
        { gsub(/\\/, "/"); print }'
}

# The drop: while the walk runs, the title counts the files found so far.
drag_onto "$window" "$mount"
wait_for_title "$window" "$title_pattern — [1-9][0-9,]*\$" >/dev/null ||
    fail "the walk showed no progress; the title is '$(title_of "$window")'"
set_delay 0
wait_for_title "$window" "$title_pattern\$" >/dev/null ||
    fail "the walk did not end; the title is '$(title_of "$window")'"
end_drag_source
order=$(listed_files) || fail "the list's entries could not be read"
[ "$(LC_ALL=C sort <<<"$order")" = "$(LC_ALL=C sort "$work/originals")" ] ||
    fail "after the drop the list holds $(grep -c . <<<"$order") entries: $(head -n 3 <<<"$order")"

# Execute, seen in progress, then Esc.
execute_and_stop "$window" "$title_pattern"
check_stopped_pass "$order"
count=$(grep -c . <<<"$renamed")
echo "the pass stopped after $count files (progress seen: '$progress')"
# The list shows the renamed files' new names, the others' old ones, in place.
expected=$(echo "$renamed"; tail -n +$((count + 1)) <<<"$order")
[ "$(listed_files)" = "$expected" ] || fail "after the stopped pass the list differs from the disk:
$(diff <(listed_files) <(echo "$expected") | head -n 5)"

# Undo, slowed so that it may show its progress: if it does, over the files
# the pass renamed.
set_delay 20000
xdotool key ctrl+z
grouped=$(printf '%d' "$count" | sed -E ':a; s/([0-9])([0-9]{3})($|,)/\1,\2\3/; ta')
undo_seen=
undone() {
    local now
    now=$(title_of "$window")
    if [[ $now =~ $title_pattern\ —\  ]]; then
        [[ $now == *" / $grouped" ]] || fail "the undo's progress: '$now'; it should undo $grouped"
        undo_seen=$now
    fi
    [ "$now" = "$title" ] && originals_back
}
wait_until undone || fail "after the undo: $(diff <(files_on_disk) \
    <(LC_ALL=C sort "$work/originals") | head -n 5); the title is '$(title_of "$window")'"
set_delay 0
echo "undo ended${undo_seen:+ (progress seen: '$undo_seen')}"
# Undo that never showed progress leaves the title as it was: the list is
# waited for.
list_restored() { [ "$(listed_files)" = "$order" ]; }
wait_until list_restored || fail "after the undo the list differs from the disk:
$(diff <(listed_files) <(echo "$order") | head -n 5)"

# Close the window: it writes setup.ini and ends with exit code 0.
wmctrl -i -c "$window"
wait_for_exit $pid
[ "$code" = 0 ] || fail "window mode ended with '$code': $(cat "$work/tavrel.out")"
[ "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" = " S t a m p T y p e : 1 \r \n" ] ||
    fail "setup.ini: $(od -c "$work/app/setup.ini")"
unmount_slowed
echo "Tavrel.exe window long work: passed"
