# Shared steps of the window tests that run in a virtual X server: a work
# folder, processes that are ended on exit, and waits for windows and processes.
# Source it after setting "screenshots" (where a failure leaves a picture), and
# "x_wait_seconds" to change the bound of every wait (90 s).
#
# Every wait is for something seen (a window, a file, a process gone), up to a
# bound that only a broken program reaches: a sanitizer build on a busy machine
# may take many seconds to open a window.
wait_tenths=$((${x_wait_seconds:-90} * 10))

work=$(mktemp -d /tmp/tavrel-window-XXXXXX)
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

# Starts a window manager, so windows get frames, focus and close requests.
start_window_manager() {
    openbox >/dev/null 2>&1 &
    pids+=($!)
    wait_until wmctrl -m >/dev/null 2>&1 || fail "the window manager did not start"
}
