#!/usr/bin/env bash
# Tavrel on the FUSE layer that answers every request after 1 ms
# (bench/slow_fs.c), started as people start it: the folder as its argument,
# bare names from within the folder (`cd DIR && tavrel *`, as a shell glob
# gives them), and file names (`tavrel DIR/*/*`, as a glob, the file
# manager's "Open With" or a dragged selection gives them); in one folder of
# 1,000 files and in 10 folders of 100 (there the relative names
# `folderNNNNN/IMG_…` from within the tree stand for bare names). The shell's
# glob lists the folder through the mount first, as it would for a user.
# Targets: bare names and file names within 1.15 x the folder argument.
source "$(dirname "$0")/share_lib.sh"
LABEL="start shapes on a FUSE layer answering after 1 ms"
if [ ! -x "$BIN/bench_slow_fs" ] || [ ! -w /dev/fuse ]; then
    result "$LABEL" "(no libfuse3 or no /dev/fuse here)" "" "" "<= 1.15 × folder" FAIL
    exit 1
fi
TOTAL=${BENCH_SHAPES_COUNT:-1000}

# Seconds of one run of a shape on a fresh tree and a fresh mount.
shape_run() {  # SHAPE PER_FOLDER
    rm -rf "$BACK/t"
    "$BIN/bench_make_tree" "$BACK/t" "$TOTAL" "$2"
    sync
    COUNTS="$SHARE/counts"
    mount_slow_fuse
    local start end
    start=$(date +%s.%N)
    case $1 in
    folder) "$TAVREL" "$MNT/t" ;;
    names)
        if [ "$2" = "$TOTAL" ]; then
            # shellcheck disable=SC2035
            (cd "$MNT/t/folder00000" && "$TAVREL" *)
        else
            (cd "$MNT/t" && "$TAVREL" folder*/*)
        fi
        ;;
    files) "$TAVREL" "$MNT"/t/folder*/* ;;
    esac
    end=$(date +%s.%N)
    unmount_slow_fuse
    local stamped
    stamped=$(find "$BACK/t" -type f -name '20??????_IMG_*' | wc -l)
    [ "$stamped" = "$TOTAL" ] || echo "$1 stamped $stamped of $TOTAL files" >&2
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

status=ok figures="" ratios=""
for per in "$TOTAL" $((TOTAL / 10)); do
    declare -A times=()
    for ((run = 1; run <= RUNS; ++run)); do
        for shape in folder names files; do
            seconds=$(shape_run "$shape" "$per")
            times[$shape]+=" $seconds"
            echo "$((TOTAL / per)) folder(s), run $run, $shape: $seconds s" >&2
        done
    done
    # shellcheck disable=SC2086
    folder=$(median ${times[folder]}) names=$(median ${times[names]}) files=$(median ${times[files]})
    layout="$((TOTAL / per))×$per"
    figures+="${figures:+; }$layout: folder $folder s, names $names s, files $files s"
    ratios+="${ratios:+; }$layout: $(ratio "$names" "$folder") / $(ratio "$files" "$folder")"
    at_most "$(ratio "$names" "$folder")" 1.15 && at_most "$(ratio "$files" "$folder")" 1.15 ||
        status=FAIL
    unset times
done
result "$LABEL ($TOTAL files)" "$figures" "the folder as argument" \
    "$ratios (names / files × folder)" "<= 1.15 × folder" "$status"
