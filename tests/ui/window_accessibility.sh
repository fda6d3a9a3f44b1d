#!/bin/bash
# The window as a screen reader reads it, through AT-SPI, in a virtual X server
# (run under xvfb-run) with a D-Bus session and an accessibility bus of the
# test's own: the roles and names, the stamp type's label, the focus order,
# the focus kept on Execute across a drop, and the outcome of Execute given to
# the reader.
# Usage: window_accessibility.sh TAVREL DRAG_SOURCE SCREENSHOT_DIR
set -u
tavrel_binary=$1
drag_source=$2
screenshots=$3
here=$(dirname "$0")
probe=(/usr/bin/python3 "$here/accessibility_probe.py")

[ -x /usr/libexec/at-spi-bus-launcher ] ||
    { echo "skipped: at-spi2-core (the accessibility bus) is missing"; exit 77; }
command -v dbus-run-session >/dev/null ||
    { echo "skipped: dbus-daemon is missing"; exit 77; }
/usr/bin/python3 -c "import pyatspi" 2>/dev/null ||
    { echo "skipped: python3-pyatspi is missing"; exit 77; }
# A D-Bus session of the test's own, which the accessibility bus joins.
if [ -z "${TAVREL_OWN_BUS:-}" ]; then
    exec env TAVREL_OWN_BUS=1 dbus-run-session -- bash "$0" "$@"
fi

source "$here/x_session.sh"
export TZ=UTC LC_ALL=C QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
mkdir -p "$work/app" "$work/photos"
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
printf 'StampType:1\r\n' >"$work/app/setup.ini"
touch -d "2011-09-14 05:25:36" "$work/photos/a.jpg" "$work/photos/b.jpg"
start_window_manager

"${probe[@]}" listen "$work/events" 2>"$work/probe.err" &
pids+=($!)
wait_until grep -q listening "$work/events" || fail "the AT-SPI listener did not start: $(cat "$work/probe.err")"
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
# the focus stays.
on_execute() { [ "$(focused | tail -n 1)" = "push button|Execute" ]; }
xdotool key Tab
sleep 0.3
xdotool key Tab
wait_until on_execute || fail "not on Execute: $(focused | tail -n 3)"
lines=$(wc -l <"$work/events")
drag_onto "$window" "$work/photos"
end_drag_source
wait_until grep -q "2 files added" "$work/events" || fail "no outcome of the drop: $(tail -n 20 "$work/events")"
after=$(tail -n +$((lines + 1)) "$work/events")
# The drag source's window takes the X focus while it drags; the focus comes
# back to Execute, never to a row.
if grep '^object:state-changed:focused|.*|1|' <<<"$after" | grep -qv '|push button|Execute|'; then
    fail "focus moved across the drop: $after"
fi
grep -q '^object:children-changed' <<<"$after" || fail "no row change told: $after"

# Return on Execute: the files are renamed and the outcome reaches the reader
# as the focused button's description.
xdotool key Return
wait_until test -e "$work/photos/20110914_a.jpg" || fail "Return on Execute renamed nothing"
wait_until grep -q '^object:property-change:accessible-description|push button|Execute|.*2 of 2 files renamed' \
    "$work/events" || fail "the outcome did not reach AT-SPI: $(tail -n 20 "$work/events")"
echo "window accessibility: $(wc -l <"$work/events") AT-SPI events read"
