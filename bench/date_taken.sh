#!/usr/bin/env bash
# The date taken's cost: JPEGs of a few KiB with their EXIF block in front,
# renamed with stamp type 1 by Tavrel with the date taken on (DateTaken:1)
# and off, each run on a fresh tree, the runs alternating: 10,000 files (10
# folders of 1,000) on the local disk, and 2,000 (10 folders of 200) on the
# FUSE layer that answers every request after 1 ms (bench/slow_fs.c).
# Targets: on <= 1.5 x off on the disk, <= 1.3 x off on the FUSE layer.
source "$(dirname "$0")/lib.sh"
LOCAL_COUNT=${BENCH_DATE_TAKEN_COUNT:-10000}
FUSE_COUNT=${BENCH_DATE_TAKEN_FUSE_COUNT:-2000}
LABEL_LOCAL="rename $LOCAL_COUNT JPEGs (EXIF in front), date taken on vs off, local disk"
LABEL_FUSE="the same, $FUSE_COUNT JPEGs on the FUSE layer answering after 1 ms (10 folders)"
for tool in exiftool ffmpeg; do
    if ! command -v "$tool" >/dev/null; then
        result "$LABEL_LOCAL" "(no $tool here)" "" "" "<= 1.5" FAIL
        exit 1
    fi
done

PLACE=$(mktemp -d "$WORK/date-taken.XXXXXX")
BACK="$PLACE/back" MNT="$PLACE/mnt" COUNTS="$PLACE/counts"
mkdir -p "$BACK" "$MNT" "$PLACE/on" "$PLACE/off"
cleanup() {
    mountpoint -q "$MNT" && { fusermount3 -u "$MNT" || fusermount3 -u -z "$MNT"; }
    rm -rf "$PLACE"
}
trap cleanup EXIT

# One photo: a small JPEG whose EXIF block gives 2019-05-06 07:08:09.
ffmpeg -loglevel error -y -f lavfi -i testsrc=s=96x64 -frames:v 1 "$PLACE/photo.jpg"
exiftool -q -overwrite_original '-DateTimeOriginal=2019:05:06 07:08:09' "$PLACE/photo.jpg"
echo "photo: $(stat -c %s "$PLACE/photo.jpg") bytes" >&2
# Two copies of the program, each with its settings file beside it.
for mode in on off; do cp "$TAVREL" "$PLACE/$mode/tavrel"; done
printf 'StampType:1\r\nDateTaken:1\r\n' >"$PLACE/on/setup.ini"
printf 'StampType:1\r\n' >"$PLACE/off/setup.ini"

photo_tree() {  # DIR COUNT FOLDERS
    rm -rf "$1"
    python3 - "$PLACE/photo.jpg" "$1" "$2" "$3" <<'PY'
import os, random, sys
photo, root, count, folders = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
data = open(photo, "rb").read()
random.seed(7)
for i in range(count):
    folder = os.path.join(root, "f%02d" % (i % folders))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "IMG_%05d.jpg" % i)
    with open(path, "wb") as f:
        f.write(data)
    t = random.randint(1104537600, 1735689599)
    os.utime(path, (t, t))
PY
    sync
}

# Checks that a run gave every file the stamp its mode wants.
check_names() {  # DIR MODE COUNT
    local stamped
    if [ "$2" = on ]; then
        stamped=$(find "$1" -type f -name '20190506_IMG_*' | wc -l)
    else
        stamped=$(find "$1" -type f -name '20??????_IMG_*' ! -name '20190506_IMG_*' | wc -l)
    fi
    [ "$stamped" -ge $(( $3 * 99 / 100 )) ] || { echo "$2: only $stamped of $3 stamped as wanted" >&2; return 1; }
}

status_local=ok status_fuse=ok
declare -A local_times=() fuse_times=() fuse_requests=()
for ((run = 1; run <= RUNS; ++run)); do
    for mode in off on; do
        photo_tree "$WORK/dt-tree" "$LOCAL_COUNT" 10
        s=$(seconds_of "$PLACE/$mode/tavrel" "$WORK/dt-tree")
        check_names "$WORK/dt-tree" "$mode" "$LOCAL_COUNT" || status_local=FAIL
        local_times[$mode]+=" $s"
        echo "local, run $run, $mode: $s s" >&2
    done
    if [ -x "$BIN/bench_slow_fs" ] && [ -w /dev/fuse ]; then
        for mode in off on; do
            photo_tree "$BACK/t" "$FUSE_COUNT" 10
            mount_slow_fuse
            s=$(seconds_of "$PLACE/$mode/tavrel" "$MNT/t")
            unmount_slow_fuse
            check_names "$BACK/t" "$mode" "$FUSE_COUNT" || status_fuse=FAIL
            fuse_times[$mode]+=" $s"
            fuse_requests[$mode]=$(awk -v n="$FUSE_COUNT" '/^total/ { printf "%.2f", $2 / n }' "$COUNTS")
            echo "FUSE, run $run, $mode: $s s, ${fuse_requests[$mode]} requests a file" >&2
        done
    fi
done
rm -rf "$WORK/dt-tree"

# shellcheck disable=SC2086
on=$(median ${local_times[on]}) off=$(median ${local_times[off]}) r=$(ratio "$on" "$off")
at_most "$r" 1.5 || status_local=FAIL
result "$LABEL_LOCAL" "on $on s" "off $off s" "$r" "<= 1.5" "$status_local"
if [ -z "${fuse_times[on]:-}" ]; then
    result "$LABEL_FUSE" "(no libfuse3 or no /dev/fuse here)" "" "" "<= 1.3" FAIL
    exit 1
fi
# shellcheck disable=SC2086
on=$(median ${fuse_times[on]}) off=$(median ${fuse_times[off]}) r=$(ratio "$on" "$off")
at_most "$r" 1.3 || status_fuse=FAIL
result "$LABEL_FUSE" "on $on s (${fuse_requests[on]} req a file)" \
    "off $off s (${fuse_requests[off]} req a file)" "$r" "<= 1.3" "$status_fuse"
