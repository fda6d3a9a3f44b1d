#!/bin/bash
# The window, end to end, in a real X server (run under xvfb-run) with a window
# manager: drag real files onto Tavrel from another program, pick a stamp type,
# press Execute, check the disk, close the window and check setup.ini; then an
# error in command-line mode must show the last-resort box and exit with 1.
# The window's picture in the README is the one this test takes after Execute.
# Usage: window_end_to_end.sh TAVREL DRAG_SOURCE SCREENSHOT_DIR
set -u
tavrel_binary=$1
drag_source=$2
screenshots=$3

# The picture shows the window on a folder that looks like a user's photos.
# Where the test may have a mount namespace of its own, it lays an empty home
# folder over /home there, which nothing outside the test sees; elsewhere the
# photos stay in the test's temporary folder.
if [ -z "${TAVREL_OWN_HOME:-}" ] && unshare --mount --propagation private true 2>/dev/null; then
    exec env TAVREL_OWN_HOME=1 unshare --mount --propagation private bash "$0" "$@"
fi

source "$(dirname "$0")/x_session.sh"

pictures="$work/Pictures"
if [ -n "${TAVREL_OWN_HOME:-}" ] && mount -t tmpfs -o mode=755 tavrel-home /home; then
    pictures=/home/mika/Pictures
else
    echo "note: the photos lie in $work: no mount namespace of our own here"
fi
photos="$pictures/Holiday 2011"
odd="$work/$(printf 'caf\xe9')"
mkdir -p "$screenshots" "$work/app" "$photos/Beach" "$odd"
export TZ=UTC LC_ALL=C
# The window module goes with the program: window mode loads it from beside it.
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
stamp_time="2011-09-14 05:25:36"
touch -d "$stamp_time" "$photos/IMG_0001.jpg" "$photos/IMG_0002.jpg" "$photos/IMG_0003.jpg" \
    "$photos/Beach/IMG_0004.jpg" "$photos/Beach/IMG_0005.jpg" "$pictures/Tokyo Tower.jpg" \
    "$odd/$(printf 'bad\xff.jpg')"

start_window_manager

# No session bus: nothing gives network locations a path (see
# kio_fuse_drop.sh for the window with kio-fuse).
env -u DBUS_SESSION_BUS_ADDRESS "$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" &
tavrel_pid=$!
pids+=($tavrel_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window titled 'Tavrel v1.2.0.13'"
xdotool windowmove --sync "$window" 40 40
sleep 0.5
read -r ww wh <<<"$(size_of "$window")"
[ "$ww" = 414 ] && [ "$wh" = 248 ] || fail "window client size ${ww}x$wh, expected 414x248"

drag_onto "$window" "$photos" "$pictures/Tokyo Tower.jpg"

# Stamp type 2: focus the selector's text field and step one entry down.
xdotool windowactivate --sync "$window"
point_at "$window" $((88 + 40)) $((207 + 20))
xdotool click 1
sleep 0.2
xdotool key Down
sleep 0.2
# Execute.
point_at "$window" $((234 + 37)) $((207 + 20))
xdotool click 1
stamped="20110914-052536_"
expected_files() { [ -e "$pictures/${stamped}Tokyo Tower.jpg" ]; }
wait_until expected_files
end_drag_source
sleep 0.5
import -frame -window "$window" "$screenshots/tavrel-window.png" || fail "no screenshot"

expected=$(printf '%s\n' "Holiday 2011/${stamped}IMG_0001.jpg" "Holiday 2011/${stamped}IMG_0002.jpg" \
    "Holiday 2011/${stamped}IMG_0003.jpg" "Holiday 2011/Beach/${stamped}IMG_0004.jpg" \
    "Holiday 2011/Beach/${stamped}IMG_0005.jpg" "${stamped}Tokyo Tower.jpg" | sort)
actual=$(cd "$pictures" && find . -type f -printf '%P\n' | sort)
[ "$actual" = "$expected" ] || fail "files after Execute:
$actual
expected:
$expected"

# A name that is not valid UTF-8, in a folder whose name is not either, goes
# through the drag and the rename byte for byte.
drag_onto "$window" "$odd"
point_at "$window" $((234 + 37)) $((207 + 20))
xdotool click 1
wait_until test -e "$odd/$(printf '%sbad\xff.jpg' "$stamped")" ||
    fail "after the second drop and Execute: $(ls "$odd" | od -c | head -5)"
end_drag_source

# A drag source that quits at the moment the window asks it for the dropped paths, as
# one that crashes mid-drop: the window takes nothing from that drop and goes on
# working. Execute and the close queue behind the drop; the file stays as it was.
decoy="$work/decoy.jpg"
touch -d "$stamp_time" "$decoy"
drag_onto "$window" --quit-when-asked "$decoy"
source_gone() { ! kill -0 "$drag_source_pid" 2>/dev/null; }
wait_until source_gone || fail "the window never asked for the dropped paths"
end_drag_source
point_at "$window" $((234 + 37)) $((207 + 20))
xdotool click 1

# Network locations only (sftp://, smb://, as a file manager offers them
# without its FUSE mount), with nothing to map them to paths, are refused
# while the drag still hovers.
drag_onto "$window" --refused "sftp://host/home/mika/IMG_0009.jpg" "smb://host/share/IMG_0010.jpg"
end_drag_source

# Close the window: it writes setup.ini and ends with exit code 0.
wmctrl -i -c "$window"
wait_for_exit $tavrel_pid
[ "$code" = 0 ] || fail "window mode ended with '$code': $(cat "$work/tavrel.err")"
[ "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" = " S t a m p T y p e : 2 \r \n" ] ||
    fail "setup.ini: $(od -c "$work/app/setup.ini")"
[ "$(ls "$work" | grep decoy)" = decoy.jpg ] || fail "a drop with no data was taken: $(ls "$work")"

# An error in command-line mode: the text on standard error, the box on the
# display, exit code 1 once the box is dismissed.
"$work/app/tavrel" "$work/missing.jpg" >/dev/null 2>"$work/error.err" & error_pid=$!
pids+=($error_pid)
box=$(wait_for_window "アプリケーション エラー") || fail "no last-resort box"
sleep 0.5
import -window "$box" "$screenshots/last-resort-box.png"
xdotool windowactivate --sync "$box" key Return
wait_for_exit $error_pid
[ "$code" = 1 ] || fail "command-line error ended with '$code'"
grep -q "日付に変換できない値が渡されました" "$work/error.err" || fail "stderr: $(cat "$work/error.err")"

# An error at start-up in window mode (a settings file that cannot be read, with
# root's right to read everything dropped): the box, the text, exit code 1.
chmod 000 "$work/app/setup.ini"
setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search \
    "$work/app/tavrel" >/dev/null 2>"$work/start.err" & start_pid=$!
pids+=($start_pid)
box=$(wait_for_window "アプリケーション エラー") || fail "no last-resort box at start-up"
xdotool windowactivate --sync "$box" key Return
wait_for_exit $start_pid
[ "$code" = 1 ] || fail "start-up error ended with '$code'"
grep -q "FileOpenError がモジュール tavrel の" "$work/start.err" || fail "stderr: $(cat "$work/start.err")"
grep -q "ファイル $work/app/setup.ini は開けません。" "$work/start.err" ||
    fail "stderr: $(cat "$work/start.err")"
echo "window end to end: passed; screenshots in $screenshots"
