#!/bin/bash
# The window by keyboard alone and as a screen reader reads it through AT-SPI,
# in a virtual X server (run under xvfb-run) with a D-Bus session and an
# accessibility bus of the test's own: roles, names, label, focus order, focus
# kept across a drop, Return on Execute and its outcome told; files copied by
# another program (xclip) pasted; a file chosen in the Ctrl+O dialog; Ctrl+W
# writes setup.ini and ends the program.
# Usage: window_accessibility.sh TAVREL DRAG_SOURCE SCREENSHOT_DIR
set -u
tavrel_binary=$1
drag_source=$2
screenshots=$3
here=$(dirname "$0")
probe=(/usr/bin/python3 "$here/accessibility_probe.py")
skip() { echo "skipped: $* is missing"; exit 77; }
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core (the accessibility bus)"
command -v dbus-run-session >/dev/null || skip dbus-daemon
command -v xclip >/dev/null || skip xclip
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || skip python3-pyatspi
# A D-Bus session of the test's own, which the accessibility bus joins.
[ -n "${TAVREL_OWN_BUS:-}" ] || exec env TAVREL_OWN_BUS=1 dbus-run-session -- bash "$0" "$@"

source "$here/x_session.sh"
export TZ=UTC LC_ALL=C QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
mkdir -p "$work/app" "$work/photos/dragged"
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
printf 'StampType:1\r\n' >"$work/app/setup.ini"
for name in dragged/a.jpg dragged/b.jpg listed.jpg text.jpg left.jpg copied.jpg opened.jpg; do
    touch -d "2011-09-14 05:25:36" "$work/photos/$name"
done
start_window_manager

"${probe[@]}" listen "$work/events" 2>"$work/probe.err" &
pids+=($!)
wait_until grep -qs listening "$work/events" || fail "the AT-SPI listener did not start: $(cat "$work/probe.err")"
"$work/app/tavrel" 2>"$work/tavrel.err" & tavrel_pid=$!
pids+=($tavrel_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window"
xdotool windowmove --sync "$window" 40 40
xdotool windowactivate --sync "$window"
wait_until "${probe[@]}" tree >"$work/tree" 2>&1 || fail "the tree: $(cat "$work/tree")"

# Focus order: the list first, then Execute, Clear and the stamp type (its
# text field), each focus event told to the reader.
focused() { grep '^object:state-changed:focused|.*|1|' "$work/events" | cut -d'|' -f2,3; }
focus_order() { focused | awk '!seen[$0]++' | tr '\n' ';'; }
in_order() { [[ $(focus_order) == *"list|Files;push button|Execute;push button|Clear;combo box|"* ]]; }
for _ in 1 2 3; do xdotool key Tab; sleep 0.3; done
wait_until in_order || fail "focus order: $(focus_order)"

# Back on Execute (the list, then Execute), files dropped: the rows change,
# the focus stays; the drag source's window takes the X focus while it drags.
on_execute() { [ "$(focused | tail -n 1)" = "push button|Execute" ]; }
for _ in 1 2; do xdotool key Tab; sleep 0.3; done
wait_until on_execute || fail "not on Execute: $(focused | tail -n 3)"
lines=$(wc -l <"$work/events")
# The source runs until the rows are told (under X11 the window reads the paths
# after the drag has ended); the outcome is told once the window is active again.
drag_onto "$window" "$work/photos/dragged"
since_drop() { tail -n +$((lines + 1)) "$work/events"; }
rows_told() { since_drop | grep -q '^object:children-changed:add'; }
wait_until rows_told || fail "no row change told: $(since_drop)"
end_drag_source
xdotool windowactivate --sync "$window"
wait_until grep -q "2 files added" "$work/events" || fail "no outcome of the drop: $(tail -n 20 "$work/events")"
if since_drop | grep '^object:state-changed:focused|.*|1|' | grep -qv '|push button|Execute|'; then
    fail "focus moved across the drop: $(since_drop)"
fi

# Return on Execute: the pass's outcome told as the focused button's description.
xdotool key Return
wait_until grep -q '^object:property-change:accessible-description|push button|Execute|.*2 of 2 files renamed' \
    "$work/events" || fail "the outcome did not reach AT-SPI: $(tail -n 20 "$work/events")"

# Presses Return on Execute until the file bears its stamp: Execute is refused
# while the walk still runs, and a second pass leaves stamped names.
execute_until() {
    for _ in $(seq 1 "$((wait_tenths / 10))"); do
        xdotool key Return
        for _ in $(seq 1 10); do [ -e "$work/photos/$1" ] && return 0; sleep 0.1; done
    done
    fail "$2 was not renamed: $(cd "$work/photos" && find . -type f | sort)"
}
# Puts text on the clipboard as another program would, in one format, waits
# until the clipboard offers it (xclip serves it until the next copy), pastes
# it by the key, and executes until the file is renamed.
offers() { xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"; }
paste_as() {
    printf '%s' "$2" | xclip -quiet -selection clipboard -t "$1" -i >/dev/null 2>&1 &
    pids+=($!)
    wait_until offers "$1" || fail "xclip did not hold $1"
    xdotool key "$3"
    execute_until "20110914_$4" "the paste of $1 by $3"
}
# A URI list, a file manager's copied-files list, a path as text in quotes.
paste_as text/uri-list "file://$work/photos/listed.jpg"$'\r\n' ctrl+v listed.jpg
paste_as x-special/gnome-copied-files "copy"$'\n'"file://$work/photos/copied.jpg" shift+Insert copied.jpg
paste_as UTF8_STRING "\"$work/photos/text.jpg\""$'\n' ctrl+v text.jpg

# Ctrl+O: the file dialog, a path typed into its name field, Return; the focus
# comes back to Execute.
xdotool key ctrl+o
dialog=$(wait_for_window "Add Files") || fail "Ctrl+O opened no file dialog"
dialog_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$dialog" ]; }
wait_until dialog_active || fail "the file dialog did not take the keyboard"
xdotool type --delay 20 "$work/photos/opened.jpg"
xdotool key Return
execute_until 20110914_opened.jpg "the file chosen in the dialog"
[ -e "$work/photos/left.jpg" ] || fail "a file never added was renamed"

# The stamp type changed by keyboard (Tab to Clear, then the selector), then
# Ctrl+W: setup.ini holds it and the program ends.
xdotool key Tab Tab Down
sleep 0.3
xdotool key ctrl+w
wait_for_exit "$tavrel_pid"
[ "$code" = 0 ] || fail "Ctrl+W: exit code $code: $(cat "$work/tavrel.err")"
[ "$(cat "$work/app/setup.ini")" = $'StampType:2\r' ] || fail "setup.ini after Ctrl+W: $(od -c "$work/app/setup.ini")"
echo "window accessibility: $(wc -l <"$work/events") AT-SPI events read; added, renamed and closed by keys"
