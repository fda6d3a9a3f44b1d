#!/bin/bash
# The window, end to end, in a real X server (run under xvfb-run) with a window
# manager: drag real files onto Tavrel from another program, pick a stamp type,
# press Execute, check the disk, close the window and check setup.ini; then an
# error in command-line mode must show the last-resort box and exit with 1.
# Usage: window_end_to_end.sh TAVREL DRAG_SOURCE SCREENSHOT_DIR
set -u
tavrel_binary=$1
drag_source=$2
screenshots=$3

source "$(dirname "$0")/x_session.sh"

mkdir -p "$screenshots" "$work/app" "$work/photos/sub"
export TZ=UTC LC_ALL=C
# The window module goes with the program: window mode loads it from beside it.
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
stamp_time="2011-09-14 05:25:36"
touch -d "$stamp_time" "$work/photos/IMG_0001.jpg" "$work/photos/sub/IMG_0002.jpg" \
    "$work/photos/$(printf 'bad\xff.jpg')" "$work/single.txt"

start_window_manager

"$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" & tavrel_pid=$!
pids+=($tavrel_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window titled 'Tavrel v1.2.0.13'"
xdotool windowmove --sync "$window" 40 40
sleep 0.5
read -r ww wh <<<"$(size_of "$window")"
[ "$ww" = 414 ] && [ "$wh" = 248 ] || fail "window client size ${ww}x$wh, expected 414x248"

"$drag_source" "$work/photos" "$work/single.txt" >"$work/drag.out" 2>&1 & pids+=($!)
source_window=$(wait_for_window "Tavrel drag source") || fail "no drag source window"
xdotool windowmove --sync "$source_window" 700 80
sleep 0.5

# Press on the source, move onto Tavrel's list in steps, release.
point_at "$source_window" 100 60
xdotool mousedown 1
sleep 0.3
for x in 60 20 -20 -60 -100 -140 -180 -220 -260 -300 -340 -380 -420 -460; do
    xdotool mousemove --window "$source_window" -- "$x" 60
    sleep 0.05
done
point_at "$window" 150 100
sleep 0.3
xdotool mouseup 1
wait_until grep -q "drag ended" "$work/drag.out"
grep -q "drag ended: copied" "$work/drag.out" || fail "the drop was not taken: $(cat "$work/drag.out")"

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
expected_files() { [ -e "$work/20110914-052536_single.txt" ]; }
wait_until expected_files
sleep 0.5
import -frame -window "$window" "$screenshots/tavrel-window.png" || fail "no screenshot"

expected=$(printf '%s\n' "photos/20110914-052536_IMG_0001.jpg" \
    "photos/$(printf '20110914-052536_bad\xff.jpg')" "photos/sub/20110914-052536_IMG_0002.jpg" \
    "20110914-052536_single.txt" | sort)
actual=$(cd "$work" && find photos *.txt -type f | sort)
[ "$actual" = "$expected" ] || fail "files after Execute:
$actual
expected:
$expected"

# Close the window: it writes setup.ini and ends with exit code 0.
wmctrl -i -c "$window"
wait_for_exit $tavrel_pid
[ "$code" = 0 ] || fail "window mode ended with '$code': $(cat "$work/tavrel.err")"
[ "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" = " S t a m p T y p e : 2 \r \n" ] ||
    fail "setup.ini: $(od -c "$work/app/setup.ini")"

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
