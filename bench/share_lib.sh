# Shared by the benchmarks on file systems far away (share_*.sh): a tree of
# COUNT files made on the local disk below a backing folder, renamed through a
# mount of it by Tavrel, by the floor program and by perl's rename, each run
# on a fresh tree and a fresh mount, the runs alternating; in two layouts: 10
# folders of COUNT/10 files, and one folder of COUNT.
#
# A script sets mount_share (mounts $BACK on $MNT; $COUNTS, when set, names
# the file the layer writes its request counts to) and unmount_share, then
# calls measure_share. The figures are milliseconds a file.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$BENCH_SOURCE/../tests/gvfs/share_fixture.sh"
COUNT=${BENCH_SHARE_COUNT:-5000}
SHARE=$(mktemp -d "$WORK/share.XXXXXX")
BACK="$SHARE/back" MNT="$SHARE/mnt" COUNTS=""
mkdir -p "$BACK" "$MNT"
share_cleanup() {
    mountpoint -q "$MNT" && { fusermount3 -u "$MNT" || fusermount3 -u -z "$MNT"; }
    stop_sshd
    rm -rf "$SHARE"
}
trap share_cleanup EXIT

perl_rename() {
    find "$1" -type f -exec rename \
        'BEGIN { use POSIX qw(strftime) } my @s = lstat $_; s{([^/]+)\z}{strftime("%Y%m%d_", localtime $s[9]) . $1}e' {} +
}
run_tool() {  # TOOL DIR
    case $1 in
        tavrel) "$TAVREL" "$2" ;;
        floor) "$BIN/bench_floor" "$2" ;;
        perl) perl_rename "$2" ;;
    esac
}

# Milliseconds a file of one run, and the layer's requests a file when it
# counts them ("-" otherwise).
one_run() {  # TOOL PER_FOLDER
    rm -rf "$BACK/t"
    "$BIN/bench_make_tree" "$BACK/t" "$COUNT" "$2"
    sync
    mount_share
    local seconds
    seconds=$(seconds_of run_tool "$1" "$MNT/t")
    unmount_share
    local stamped
    stamped=$(find "$BACK/t" -type f -name '20??????_IMG_*' | wc -l)
    if [ "$stamped" != "$COUNT" ]; then
        echo "$1 stamped $stamped of $COUNT files" >&2
        [ "$1" != tavrel ] || echo "$((COUNT - stamped))" >>"$SHARE/unstamped"
    fi
    local requests=-
    [ -z "$COUNTS" ] || requests=$(awk -v n="$COUNT" '/^total/ { printf "%.2f", $2 / n }' "$COUNTS")
    awk -v s="$seconds" -v n="$COUNT" -v r="$requests" 'BEGIN { printf "%.3f %s\n", s * 1000 / n, r }'
}

# Runs every tool RUNS times in both layouts; sets, for each layout L (10 or
# 1) and tool T, MS_L_T (median ms a file) and REQ_L_T (requests a file), and
# UNSTAMPED, the files that Tavrel left without a stamp in all runs.
measure_share() {
    local folders per tool run line
    for folders in 10 1; do
        per=$((COUNT / folders))
        declare -A times=() requests=()
        for ((run = 1; run <= RUNS; ++run)); do
            for tool in tavrel floor perl; do
                line=$(one_run "$tool" "$per")
                times[$tool]+=" ${line% *}"
                requests[$tool]="${line#* }"
                echo "$folders folder(s), run $run, $tool: ${line% *} ms a file, ${line#* } requests a file" >&2
            done
        done
        for tool in tavrel floor perl; do
            # shellcheck disable=SC2086
            printf -v "MS_${folders}_$tool" '%s' "$(median ${times[$tool]})"
            printf -v "REQ_${folders}_$tool" '%s' "${requests[$tool]}"
        done
        unset times requests
    done
    UNSTAMPED=0
    [ ! -f "$SHARE/unstamped" ] || UNSTAMPED=$(awk '{ n += $1 } END { print n }' "$SHARE/unstamped")
}

# The report's row for one file system: both layouts, Tavrel against the floor
# and perl's rename. Without floor targets, the target is to be faster than
# perl's rename in 10 folders; one folder is shown beside it.
share_result() {  # LABEL FLOOR_TARGET_10 FLOOR_TARGET_1 (empty: Tavrel < perl)
    local label=$1 status=ok figures="" others="" ratios="" target
    for folders in 10 1; do
        local t f p tr="" fr="" pr="" limit
        t=$(eval echo "\$MS_${folders}_tavrel") f=$(eval echo "\$MS_${folders}_floor")
        p=$(eval echo "\$MS_${folders}_perl")
        if [ -n "$COUNTS" ]; then
            tr=", $(eval echo "\$REQ_${folders}_tavrel") req" fr=", $(eval echo "\$REQ_${folders}_floor") req"
            pr=", $(eval echo "\$REQ_${folders}_perl") req"
        fi
        figures+="${figures:+; }$folders×$((COUNT / folders)): $t ms$tr"
        others+="${others:+; }floor $f ms$fr, perl $p ms$pr"
        ratios+="${ratios:+; }$(ratio "$t" "$f") × floor, $(ratio "$t" "$p") × perl"
        limit=$([ "$folders" = 10 ] && echo "$2" || echo "$3")
        if [ -n "$limit" ]; then
            at_most "$(ratio "$t" "$f")" "$limit" || status=FAIL
        elif [ "$folders" = 10 ]; then
            awk -v a="$t" -v b="$p" 'BEGIN { exit !(a < b) }' || status=FAIL
        fi
    done
    if [ -n "$2" ]; then target="<= $2 / <= $3 × floor"; else target="< perl rename (10 folders)"; fi
    result "$label, ms a file (10 folders; 1 folder)" "$figures" "$others" "$ratios" "$target" "$status"
}

# An sshd of the run's own (tests/gvfs/share_fixture.sh); stopped again by
# stop_sshd. Sets SSH_PORT, SSH_KEY.
start_sshd() { start_ssh_server "$SHARE/sshd"; }
stop_sshd() { [ -z "${SSHD_PID:-}" ] || kill "$SSHD_PID" 2>/dev/null || true; }

# sshfs of $BACK on $MNT through that sshd; with SSH_DELAY_US, through the
# relay that delays each direction by that much.
mount_sshfs() {
    local options=(-p "$SSH_PORT" -o "IdentityFile=$SSH_KEY" -o StrictHostKeyChecking=no
                   -o UserKnownHostsFile=/dev/null -o BatchMode=yes -o LogLevel=ERROR)
    [ -z "${SSH_DELAY_US:-}" ] ||
        options+=(-o "ProxyCommand=$BIN/bench_delay_relay $SSH_DELAY_US 127.0.0.1 $SSH_PORT")
    sshfs "${options[@]}" "$(id -un)@127.0.0.1:$BACK" "$MNT"
}
unmount_sshfs() { fusermount3 -u "$MNT" || fusermount -u "$MNT"; }

# One row: Tavrel started with bare names from within one folder of 200 and
# with its file names, against that folder as its argument, each on a fresh
# tree and a fresh mount (the caller's mount_share and unmount_share).
start_shapes_result() {  # LAYER (as the row names it)
    local run shape start end seconds folder names files status
    declare -A shape_times=()
    for ((run = 1; run <= RUNS; ++run)); do
        for shape in folder names files; do
            rm -rf "$BACK/t"
            "$BIN/bench_make_tree" "$BACK/t" 200 200
            sync
            mount_share
            start=$EPOCHREALTIME
            case $shape in
            folder) "$TAVREL" "$MNT/t/folder00000" ;;
            # shellcheck disable=SC2035
            names) (cd "$MNT/t/folder00000" && "$TAVREL" *) ;;
            files) "$TAVREL" "$MNT"/t/folder00000/* ;;
            esac
            end=$EPOCHREALTIME
            unmount_share
            seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }')
            shape_times[$shape]+=" $seconds"
            echo "1 folder of 200, run $run, $shape: $seconds s" >&2
        done
    done
    # shellcheck disable=SC2086
    folder=$(median ${shape_times[folder]}) names=$(median ${shape_times[names]})
    # shellcheck disable=SC2086
    files=$(median ${shape_times[files]})
    status=ok
    at_most "$(ratio "$names" "$folder")" 1.15 && at_most "$(ratio "$files" "$folder")" 1.15 || status=FAIL
    result "start shapes on $PROTOCOL through $1 (1 folder of 200)" \
        "bare names $names s, file names $files s" "the folder as argument $folder s" \
        "$(ratio "$names" "$folder") / $(ratio "$files" "$folder") (names / files × folder)" "<= 1.15" "$status"
}
