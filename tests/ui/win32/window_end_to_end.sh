#!/bin/bash
# Tavrel.exe's window, end to end, under Wine in a real X server (run under
# xvfb-run) with a window manager: drag a folder and a file onto the window from
# an X program, pick a stamp type with the keyboard, press Execute, check the
# disk, close the window and check setup.ini; start again and see the stored
# type at work; then an error in command-line mode must show the last-resort box
# and end with exit code 1.
# Another program reads the list's entries from the list box, as a screen
# reader or a test tool does.
# Usage: window_end_to_end.sh TAVREL_EXE DRAG_SOURCE SCREENSHOT_DIR TEST_HELPER_EXE
set -u
tavrel_exe=$1
drag_source=$2
screenshots=$3
test_helper=$4

# Wine starts slowly on a busy machine: every wait is bounded generously and
# ends as soon as what it waits for is seen.
x_wait_seconds=120
source "$(dirname "$0")/../x_session.sh"

# Wine's prefix, HOME and the XDG folders live in the test's own folder; the
# Windows tests' scripts make the prefix (the wineserver first, with its output
# detached) and set the language, the time zone and the regional formats.
wine_scripts="$(dirname "$0")/../../win32"
export TAVREL_WINE_ROOT="$work/wine" TAVREL_WINE_DISPLAY=1
end_wine() {
    sh "$wine_scripts/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"
    cleanup
}
trap end_wine EXIT
sh "$wine_scripts/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >"$work/prefix.out" 2>&1 ||
    fail "no Wine prefix: $(cat "$work/prefix.out")"
# The settings script is written for sh: its variables are taken over from there.
eval "$(sh -c '. "$1" && export -p' sh "$wine_scripts/wine_env.sh")" ||
    fail "the Wine settings could not be read"
[ "$WINEPREFIX" = "$TAVREL_WINE_ROOT/prefix" ] || fail "Wine prefix outside the test folder"

mkdir -p "$screenshots" "$work/app" "$work/photos/sub" "$work/again"
rm -f "$screenshots/failure-$(basename "$0" .sh).png"
cp "$tavrel_exe" "$work/app/Tavrel.exe"
stamp_time="2011-09-14 05:25:36"
touch -d "$stamp_time" "$work/photos/IMG_0001.jpg" "$work/photos/sub/IMG_0002.jpg" \
    "$work/single.txt" "$work/again/later.txt"

start_window_manager

# Runs Tavrel.exe in the background with the arguments; sets pid.
start_tavrel() {
    wine "$work/app/Tavrel.exe" "$@" </dev/null >"$work/tavrel.out" 2>&1 &
    pid=$!
    pids+=($pid)
}

# A path in the test's folder as Wine shows it to Windows programs.
windows_path() {
    local path="Z:$1"
    echo "${path//\//\\}"
}

# The list's entries as another program reads them (LB_GETTEXT), sorted.
listed_entries() {
    wine "$test_helper" list-entries "$(windows_path "$work/entries.txt")" </dev/null \
        >/dev/null 2>&1 && tr -d '\r' <"$work/entries.txt" | sort
}

# Clicks a point given in the base layout's client coordinates (96 dpi).
click_at() {
    point_at "$1" "$2" "$3"
    xdotool click 1
}

start_tavrel
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window titled 'Tavrel v1.2.0.13'"
xdotool windowmove --sync "$window" 40 40
read -r ww wh <<<"$(size_of "$window")"
[ "$ww" = 414 ] && [ "$wh" = 248 ] || fail "window client size ${ww}x$wh, expected 414x248"

drag_onto "$window" "$work/photos" "$work/single.txt"
dropped=$(printf '%s\n' "$(windows_path "$work/photos/IMG_0001.jpg")" \
    "$(windows_path "$work/photos/sub/IMG_0002.jpg")" "$(windows_path "$work/single.txt")" | sort)
entries_dropped() { [ "$(listed_entries)" = "$dropped" ]; }
wait_until entries_dropped || fail "the list box holds:
$(listed_entries)
expected:
$dropped"

# Stamp type 2 with the keyboard: into the selector's text field, one entry down.
xdotool windowactivate --sync "$window"
click_at "$window" $((88 + 40)) $((207 + 20))
xdotool key Down
# Execute.
click_at "$window" $((234 + 37)) $((207 + 20))
renamed() { [ -e "$work/20110914-052536_single.txt" ]; }
wait_until renamed || fail "single.txt was not renamed"
end_drag_source
renamed_entries=$(printf '%s\n' "$(windows_path "$work/photos/20110914-052536_IMG_0001.jpg")" \
    "$(windows_path "$work/photos/sub/20110914-052536_IMG_0002.jpg")" \
    "$(windows_path "$work/20110914-052536_single.txt")" | sort)
entries_renamed() { [ "$(listed_entries)" = "$renamed_entries" ]; }
wait_until entries_renamed || fail "after Execute the list box holds:
$(listed_entries)
expected:
$renamed_entries"
import -frame -window "$window" "$screenshots/tavrel-window.png" || fail "no screenshot"

expected=$(printf '%s\n' "photos/20110914-052536_IMG_0001.jpg" \
    "photos/sub/20110914-052536_IMG_0002.jpg" "20110914-052536_single.txt" | sort)
actual=$(cd "$work" && find photos single.txt 20*.txt -type f 2>/dev/null | sort)
[ "$actual" = "$expected" ] || fail "files after Execute:
$actual
expected:
$expected"

# Close the window: it writes setup.ini and ends with exit code 0.
wmctrl -i -c "$window"
wait_for_exit $pid
[ "$code" = 0 ] || fail "window mode ended with '$code': $(cat "$work/tavrel.out")"
[ "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" = " S t a m p T y p e : 2 \r \n" ] ||
    fail "setup.ini: $(od -c "$work/app/setup.ini")"

# Start again: the stored type is selected, so Execute stamps date and time.
start_tavrel
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window on the second start"
xdotool windowmove --sync "$window" 40 40
drag_onto "$window" "$work/again"
xdotool windowactivate --sync "$window"
click_at "$window" $((234 + 37)) $((207 + 20))
renamed_again() { [ -e "$work/again/20110914-052536_later.txt" ]; }
wait_until renamed_again || fail "the stored stamp type was not used: $(ls "$work/again")"
end_drag_source
import -frame -window "$window" "$screenshots/tavrel-window-again.png"
wmctrl -i -c "$window"
wait_for_exit $pid
[ "$code" = 0 ] || fail "second window mode ended with '$code'"

# An error in command-line mode: the last-resort box, exit code 1 once dismissed.
start_tavrel 'Z:\no\such\file.jpg'
box=$(wait_for_window "アプリケーション エラー") || fail "no last-resort box"
import -frame -window "$box" "$screenshots/last-resort-box.png"
xdotool windowactivate --sync "$box" key Return
wait_for_exit $pid
[ "$code" = 1 ] || fail "command-line error ended with '$code'"
echo "Tavrel.exe window end to end: passed; screenshots in $screenshots"
