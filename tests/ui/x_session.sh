# Shared steps of the window tests that run in a virtual X server: a work
# folder (which holds the state folder too), processes that are ended on exit,
# and waits for windows and processes.
# Source it after setting "screenshots" (where a failure leaves a picture),
# "drag_source" (the test's drag source program) where the test drags, and
# "x_wait_seconds" to change the bound of every wait (90 s).
#
# Every wait is for something seen (a window, a file, a process gone), up to a
# bound that only a broken program reaches: a sanitizer build on a busy machine
# may take many seconds to open a window.
wait_tenths=$((${x_wait_seconds:-90} * 10))

work=$(mktemp -d /tmp/tavrel-window-XXXXXX)
# The program's journals stay in the work folder, out of the account's own.
export XDG_STATE_HOME="$work/state"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    mkdir -p "$screenshots"
    import -window root "$screenshots/failure-$(basename "$0" .sh).png" 2>/dev/null
    exit 1
}

# Waits for a visible window with exactly this title and prints its id. Titles
# are compared as text, not as patterns: xdotool's patterns miss titles that are
# not ASCII.
wait_for_window() {
    local title=$1 id
    for _ in $(seq 1 "$wait_tenths"); do
        for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            if [ "$(LC_ALL=C.UTF-8 xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# A window's title as text.
title_of() {
    LC_ALL=C.UTF-8 xdotool getwindowname "$1" 2>/dev/null
}

# Waits until a window's title matches an extended regular expression (of
# bash, on the title's bytes) and prints that title.
wait_for_title() {
    local window=$1 pattern=$2 title
    for _ in $(seq 1 "$wait_tenths"); do
        title=$(title_of "$window")
        if [[ $title =~ $pattern ]]; then
            echo "$title"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Waits until a command succeeds.
wait_until() {
    for _ in $(seq 1 "$wait_tenths"); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

# Prints "WIDTH HEIGHT" of a window's client area.
size_of() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$WIDTH $HEIGHT"
}

# Moves the pointer to a point given relative to a window's client area. It
# leaves from the screen's corner first: a move with --sync waits for motion.
point_at() {
    xdotool mousemove 0 0
    xdotool mousemove --sync --window "$1" "$2" "$3"
}

# Waits (in this shell, which owns the process) until a process has ended and
# sets code to its exit code, or to "timeout".
wait_for_exit() {
    local pid=$1
    code=timeout
    for _ in $(seq 1 "$wait_tenths"); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            code=$?
            return 0
        fi
        sleep 0.1
    done
}

# Starts a window manager, so windows get frames, focus and close requests. One
# that ends (or never manages the screen) is started again, up to three times;
# its own words go to the failure message. No session manager is asked for: a
# stale one in the environment would hold the start.
start_window_manager() {
    local manager attempt
    for attempt in 1 2 3; do
        openbox --sm-disable >"$work/window-manager.log" 2>&1 &
        manager=$!
        pids+=($manager)
        manages() { wmctrl -m >/dev/null 2>&1 || ! kill -0 "$manager" 2>/dev/null; }
        wait_until manages
        wmctrl -m >/dev/null 2>&1 && return 0
        kill "$manager" 2>/dev/null
        echo "the window manager did not manage the screen (attempt $attempt): $(cat "$work/window-manager.log")" >&2
    done
    fail "the window manager did not start: $(cat "$work/window-manager.log")"
}

# Drags the paths (after the drag source's own options, if any) from the drag
# source onto a window's list, as a file manager does: press on the source, move
# onto the list in steps, rest, release. Whether the target accepts is settled
# between the two programs while the pointer rests on it; a drag released before
# that ends as ignored and changes nothing, so it is tried again, resting longer.
#
# Under X11 the drag ends as soon as the drop is sent; the target fetches the
# paths from the source only afterwards. So the source keeps running: the caller
# ends it with end_drag_source once it has seen what the drop did.
# With --refused first, the window must refuse the drag while it hovers: it is
# released once and must end ignored (one refused only on release ends copied).
drag_onto() {
    local window=$1 source_window attempt=0 rest refused=
    shift
    [ "$1" != --refused ] || { refused=1 && shift; }
    [ -z "${drag_source_pid:-}" ] || fail "the last drag's source is still running"
    "$drag_source" "$@" >"$work/drag.out" 2>&1 &
    drag_source_pid=$!
    pids+=($drag_source_pid)
    source_window=$(wait_for_window "Tavrel drag source") || fail "no drag source window"
    xdotool windowmove --sync "$source_window" 700 80
    drag_ended() { [ "$(grep -c "^drag ended" "$work/drag.out")" -ge "$attempt" ]; }
    for rest in 0.3 0.6 1 2 4; do
        attempt=$((attempt + 1))
        point_at "$source_window" 100 60
        xdotool mousedown 1
        sleep 0.3
        for x in 60 20 -20 -60 -100 -140 -180 -220 -260 -300 -340 -380 -420 -460; do
            xdotool mousemove --window "$source_window" -- "$x" 60
            sleep 0.05
        done
        point_at "$window" 150 100
        asked() { grep -q "^data asked for" "$work/drag.out"; }
        # Refused: a move after the window's read is answered with its refusal.
        [ -z "$refused" ] || { wait_until asked && xdotool mousemove --sync --window "$window" 160 100; } ||
            fail "the window did not read the hovering drag: $(cat "$work/drag.out")"
        [ -n "$refused" ] || sleep "$rest"
        xdotool mouseup 1
        wait_until drag_ended || fail "the drag did not end: $(cat "$work/drag.out")"
        [ -z "$refused" ] || grep -q "^drag ended: ignored" "$work/drag.out" ||
            fail "the drag was not refused while hovering: $(cat "$work/drag.out")"
        [ -z "$refused" ] || return 0
        grep "^drag ended" "$work/drag.out" | tail -n 1 | grep -q copied && return 0
    done
    fail "the drop was not taken: $(cat "$work/drag.out")"
}

# Ends the last drag's source (see drag_onto).
end_drag_source() {
    kill "$drag_source_pid" 2>/dev/null
    wait "$drag_source_pid" 2>/dev/null
    drag_source_pid=
}
