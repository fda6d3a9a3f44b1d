#!/bin/bash
# The window by keyboard alone, in a virtual X server (run under xvfb-run):
# files copied by another program (xclip) as a URI list, as a file manager's
# copied-files list and as text, pasted with Ctrl+V and Shift+Insert; Return on
# Execute renames exactly them; Ctrl+W writes setup.ini and ends the program.
# Usage: window_keyboard.sh TAVREL SCREENSHOT_DIR
set -u
tavrel_binary=$1
screenshots=$2
command -v xclip >/dev/null || { echo "skipped: xclip is missing"; exit 77; }
source "$(dirname "$0")/x_session.sh"

export TZ=UTC LC_ALL=C
mkdir -p "$work/app" "$work/photos/Beach" "$work/photos/odd"
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
printf 'StampType:1\r\n' >"$work/app/setup.ini"
odd=$(printf 'caf\xe9 %%.jpg')
for name in "Beach/a.jpg" "Beach/b.jpg" "$odd" "text.jpg" "left.jpg" "copied.jpg"; do
    touch -d "2011-09-14 05:25:36" "$work/photos/$name"
done
start_window_manager
"$work/app/tavrel" 2>"$work/tavrel.err" & tavrel_pid=$!
pids+=($tavrel_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window"
xdotool windowactivate --sync "$window"

# Puts text on the clipboard as another program would, in one format, and
# waits until the clipboard offers it. xclip serves it until the next copy.
offers() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"; }
copy() {
    local format=$1 text=$2
    printf '%s' "$text" | xclip -quiet -selection clipboard -t "$format" -i >/dev/null 2>&1 &
    pids+=($!)
    wait_until offers "$format" || fail "xclip did not hold $format"
}
stamped() { [ -e "$work/photos/$1" ]; }
# Presses Return on Execute until the file bears its stamp: Execute is refused
# while the paste's walk still runs, and a second pass leaves stamped names.
execute_until_stamped() {
    for _ in $(seq 1 "$((wait_tenths / 10))"); do
        xdotool key Return
        for _ in $(seq 1 10); do stamped "$1" && return 0; sleep 0.1; done
    done
    return 1
}
# The renames Execute made so far, as the folder's names.
names() { (cd "$work/photos" && find . -type f -printf '%P\n' | sort | tr '\n' ';'); }

# A URI list (a folder and a name with bytes that are not UTF-8, percent
# encoded), pasted with Ctrl+V; Tab to Execute, Return.
encoded=$(printf '%s' "$odd" | od -An -tx1 | tr -s ' \n' '%%' | sed 's/%$//' | tr a-f A-F)
copy text/uri-list "file://$work/photos/Beach"$'\r\n'"file://$work/photos/${encoded}"$'\r\n'
xdotool key ctrl+v Tab
execute_until_stamped "20110914_$odd" || fail "the pasted URI list was not renamed: $(names)"
wait_until stamped Beach/20110914_b.jpg || fail "the pasted folder was not renamed: $(names)"

# A file manager's copied-files list, with Shift+Insert; Return again on Execute.
copy x-special/gnome-copied-files "copy"$'\n'"file://$work/photos/copied.jpg"
xdotool key shift+Insert
execute_until_stamped 20110914_copied.jpg || fail "the copied-files list was not renamed: $(names)"

# A path as text, in quotes as "copy as path" writes it.
copy UTF8_STRING "\"$work/photos/text.jpg\""$'\n'
xdotool key ctrl+v
execute_until_stamped 20110914_text.jpg || fail "the pasted path was not renamed: $(names)"
stamped left.jpg || fail "a file never pasted was renamed: $(names)"

# The stamp type changed by keyboard (Tab to Clear, then the selector), then
# Ctrl+W: setup.ini holds it and the program ends.
xdotool key Tab Tab Down
sleep 0.3
xdotool key ctrl+w
wait_for_exit "$tavrel_pid"
[ "$code" = 0 ] || fail "Ctrl+W: exit code $code"
[ "$(cat "$work/app/setup.ini")" = $'StampType:2\r' ] ||
    fail "setup.ini after Ctrl+W: $(od -c "$work/app/setup.ini")"
echo "window keyboard: pasted, renamed and closed by keys"
