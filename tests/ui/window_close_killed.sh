#!/bin/bash
# Kills the window at random moments right after it was asked to close, which is
# when it writes setup.ini: afterwards the file must hold either the old or the
# new stamp type, never a part of one, and never be missing.
# Usage: window_close_killed.sh TAVREL ROUNDS SCREENSHOT_DIR
set -u
tavrel_binary=$1
rounds=$2
screenshots=$3
source "$(dirname "$0")/x_session.sh"

export TZ=UTC LC_ALL=C
mkdir -p "$work/app"
# The window module goes with the program: window mode loads it from beside it.
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
start_window_manager

old=0 new=0 other=0
for round in $(seq 1 "$rounds"); do
    printf 'StampType:0\r\n' >"$work/app/setup.ini"
    "$work/app/tavrel" 2>/dev/null & pid=$!
    pids+=($pid)
    window=$(wait_for_window "Tavrel v1.2.0.13") || fail "round $round: no window"
    # Stamp type 2: two entries down from the stored 0.
    xdotool windowactivate --sync "$window"
    point_at "$window" 128 227
    xdotool click 1 key Down key Down
    sleep 0.2
    # Ask the window to close, then kill it 0 to 10 ms later.
    wmctrl -i -c "$window"
    sleep "0.00$((RANDOM % 10))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    case "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" in
        " S t a m p T y p e : 0 \r \n") old=$((old + 1)) ;;
        " S t a m p T y p e : 2 \r \n") new=$((new + 1)) ;;
        *) fail "round $round: setup.ini is $(od -c "$work/app/setup.ini" 2>&1)" ;;
    esac
done
echo "window killed while closing: $rounds rounds, old file kept $old times, new file $new times"
