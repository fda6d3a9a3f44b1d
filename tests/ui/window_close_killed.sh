#!/bin/bash
# Kills the window right after it was asked to close, which is when it writes
# setup.ini: afterwards the file must hold either the old or the new stamp type,
# never a part of one, and never be missing.
#
# The kill moments home in on the write, whatever the machine's speed: a round
# that found the old file waits twice as long next time, one that found the new
# file half as long. So kills keep landing around the write, and both outcomes
# turn up. At least ROUNDS rounds run, more until each outcome has been seen
# three times (up to ten times ROUNDS).
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

old=0 new=0 delay_us=5000 round=0
while [ "$round" -lt "$rounds" ] ||
    { { [ "$old" -lt 3 ] || [ "$new" -lt 3 ]; } && [ "$round" -lt $((10 * rounds)) ]; }; do
    round=$((round + 1))
    printf 'StampType:0\r\n' >"$work/app/setup.ini"
    "$work/app/tavrel" 2>/dev/null & pid=$!
    pids+=($pid)
    window=$(wait_for_window "Tavrel v1.2.0.13") || fail "round $round: no window"
    # Stamp type 2: two entries down from the stored 0.
    xdotool windowactivate --sync "$window"
    point_at "$window" 128 227
    xdotool click 1 key Down key Down
    sleep 0.2
    # Ask the window to close, then kill it after the delay, give or take a
    # quarter.
    wait_us=$((delay_us * 3 / 4 + RANDOM % (delay_us / 2 + 1)))
    wmctrl -i -c "$window"
    sleep "$(printf '%d.%06d' $((wait_us / 1000000)) $((wait_us % 1000000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    case "$(od -An -c "$work/app/setup.ini" | tr -s ' ')" in
        " S t a m p T y p e : 0 \r \n")
            old=$((old + 1))
            delay_us=$((delay_us * 2 + 1000)) ;;
        " S t a m p T y p e : 2 \r \n")
            new=$((new + 1))
            delay_us=$((delay_us / 2)) ;;
        *) fail "round $round: setup.ini is $(od -c "$work/app/setup.ini" 2>&1)" ;;
    esac
done
echo "window killed while closing: $round rounds, old file kept $old times, new file" \
    "$new times, last delay $delay_us us"
[ "$old" -ge 3 ] && [ "$new" -ge 3 ] ||
    fail "the kills did not land on both sides of the write in $round rounds"
