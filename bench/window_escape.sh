#!/usr/bin/env bash
# Esc during Execute, in the real window (a virtual X server with a window
# manager), on the FUSE layer that answers every request after 1 ms
# (bench/slow_fs.c), over 3 folders of 1,000 files: the folder is dragged onto
# the window, Execute pressed, and 1 s after the title shows the pass's
# progress the files already renamed are counted in the backing folder (not
# through the mount), Esc is pressed, and the script waits for the plain title.
# Figures: the files renamed after Esc, and the seconds from the key press
# until the title is plain again. Targets: at most 8 files after Esc (one in
# hand on each of the pass's 8 threads) and idle within 1 s.
#
# The count before Esc and the key press cannot happen at the same instant:
# files the pass renames between the start of that count and the moment the
# key has been sent are counted as "after Esc" too. The script measures that
# gap and the pass's rate over the second before it, and allows their product
# (rounded up) on top of the 8; both are reported. The time the window takes
# to read the key once sent is not allowed for: files renamed meanwhile count
# against Tavrel. The medians of the runs are held against the targets.
# Every run has a fresh tree, a fresh mount and a fresh window.
source "$(dirname "$0")/lib.sh"
LABEL="window: Esc during Execute, 3 folders of 1,000 files on a FUSE layer answering after 1 ms"
TARGET="<= 8 files (+ race) after Esc; idle <= 1 s"
drag_source="$BUILD/tests/ui/tavrel_drag_source"
for tool in xvfb-run openbox wmctrl xdotool fusermount3; do
    command -v "$tool" >/dev/null || { result "$LABEL" "(no $tool here)" "" "" "$TARGET" FAIL; exit 1; }
done
if [ ! -x "$BIN/bench_slow_fs" ] || [ ! -w /dev/fuse ] || [ ! -x "$drag_source" ]; then
    result "$LABEL" "(no libfuse3, /dev/fuse or drag source here)" "" "" "$TARGET" FAIL
    exit 1
fi
# The window needs an X server: the script runs itself again inside one.
if [ -z "${TAVREL_ESCAPE_IN_X:-}" ]; then
    TAVREL_ESCAPE_IN_X=1 BUILD="$BUILD" exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi

# The window helpers check each step themselves, as the window tests do.
set +e
screenshots="$BUILD/bench/screenshots"
source "$BENCH_SOURCE/../tests/ui/x_session.sh"
SHARE=$(mktemp -d "$WORK/escape.XXXXXX")
BACK="$SHARE/back" MNT="$SHARE/mnt" LAYER=""
mkdir -p "$BACK" "$MNT" "$work/app"
end_layer() {
    [ -n "$LAYER" ] || return 0
    fusermount3 -u "$MNT" 2>/dev/null || fusermount3 -u -z "$MNT"
    wait "$LAYER"
    LAYER=""
}
# On the way out: the window first, so nothing holds the mount.
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; end_layer; cleanup; rm -rf "$SHARE"' EXIT
cp "$TAVREL" "$work/app/tavrel"
cp "$BUILD/tavrel-window.so" "$work/app/"
start_window_manager
title="Tavrel v1.2.0.13"
title_pattern="^Tavrel v1\.2\.0\.13"
plain_pattern="$title_pattern\$"
progress_pattern="$title_pattern — [0-9,]+ / 3,000\$"

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", b - a }'; }
# Files bearing a stamp in the backing folder: a glob in this shell, no program started.
stamped() {
    local names
    shopt -s nullglob
    names=("$BACK"/t/*/20??????_*)
    shopt -u nullglob
    echo "${#names[@]}"
}

# One run, in this shell (so that a failure's exit ends its processes); sets
# run_after, run_seconds and run_race.
one_run() {
    rm -rf "$BACK/t"
    "$BIN/bench_make_tree" "$BACK/t" 3000 1000 || fail "could not make the tree"
    sync
    "$BIN/bench_slow_fs" "$BACK" "$work/counts" 1000 "$MNT" &
    LAYER=$!
    wait_until mountpoint -q "$MNT" || fail "the FUSE layer did not mount"

    "$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" & local tavrel_pid=$!
    pids+=("$tavrel_pid")
    local window
    window=$(wait_for_window "$title") || fail "no window titled '$title'"
    xdotool windowmove --sync "$window" 40 40
    drag_onto "$window" "$MNT/t"
    # The walk ends unseen (well under the half second before the title shows
    # progress), and Execute during the walk does nothing: Execute is pressed
    # until the pass has begun (a file renamed, or its progress shown).
    pass_begun() { [[ $(title_of "$window") =~ $progress_pattern ]] || [ "$(stamped)" != 0 ]; }
    for _ in $(seq 1 30); do
        xdotool windowactivate --sync "$window"
        point_at "$window" $((234 + 37)) $((207 + 20))
        xdotool click 1
        wait_tenths=20 wait_until pass_begun && break
    done
    wait_for_title "$window" "$progress_pattern" >/dev/null ||
        fail "the pass showed no progress; the title is '$(title_of "$window")'"
    end_drag_source
    local t0 c0 t1 c1 t2 t3 c2
    t0=$(now) c0=$(stamped)
    sleep 1
    t1=$(now) c1=$(stamped)
    xdotool key Escape
    t2=$(now)
    until [[ $(title_of "$window") =~ $plain_pattern ]]; do
        at_most "$(elapsed "$t2" "$(now)")" 90 || fail "Esc did not stop the pass"
        sleep 0.01
    done
    t3=$(now) c2=$(stamped)
    [ "$c1" -lt 3000 ] || fail "the pass renamed every file before Esc: it was not slow enough"
    wmctrl -i -c "$window"
    wait_for_exit $tavrel_pid
    [ "$code" = 0 ] || fail "the window ended with '$code': $(cat "$work/tavrel.err")"
    end_layer
    local files
    files=$(find "$BACK/t" -type f | wc -l)
    [ "$files" = 3000 ] || fail "$files files in the tree after the run, expected 3,000"
    # The race: the pass's rate over the second before, times the gap between
    # the start of the count and the key sent.
    run_after=$((c2 - c1)) run_seconds=$(elapsed "$t2" "$t3")
    run_race=$(awk -v n=$((c1 - c0)) -v rated="$(elapsed "$t0" "$t1")" \
        -v gap="$(elapsed "$t1" "$t2")" 'BEGIN {
            race = n / rated * gap; if (race > int(race)) race = int(race) + 1
            printf "%d\n", race }')
    echo "run $run: $c1 files renamed 1 s after progress showed, $run_after more after Esc" \
        "(race allowance $run_race), idle after $run_seconds s" >&2
}

afters=() seconds=() races=() status=ok
for ((run = 1; run <= RUNS; ++run)); do
    one_run
    afters+=("$run_after") seconds+=("$run_seconds") races+=("$run_race")
done
a=$(median "${afters[@]}") s=$(median "${seconds[@]}") r=$(median "${races[@]}")
at_most "$a" "$(awk -v r="$r" 'BEGIN { print 8 + r }')" && at_most "$s" 1 || status=FAIL
echo "files after Esc: ${afters[*]}; race allowances: ${races[*]}; seconds to idle: ${seconds[*]}" \
    "(load: $(cut -d' ' -f1-3 /proc/loadavg))"
result "$LABEL" "$(printf '%.0f' "$a") files after Esc (race allowance $(printf '%.0f' "$r")), idle after $s s" \
    "one file in hand on each of 8 threads" "-" "$TARGET" "$status"
