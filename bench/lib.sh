# Shared by the benchmark scripts: where things are, timing, medians, and the
# result line every script ends with.
#
# Environment: BUILD (build directory, default build), BENCH_RUNS (runs per
# figure, default 5), BENCH_WORK (folder for the generated trees on the disk,
# default $BUILD/bench/work), BENCH_TMPFS (a tmpfs folder, default /dev/shm).

set -euo pipefail

BENCH_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
BUILD=${BUILD:-build}
BUILD=$(cd "$BUILD" && pwd)
BIN="$BUILD/bench"
TAVREL="$BUILD/tavrel"
RUNS=${BENCH_RUNS:-5}
WORK=${BENCH_WORK:-$BUILD/bench/work}
TMPFS=${BENCH_TMPFS:-/dev/shm}
mkdir -p "$WORK"

# Every figure is taken with the same zone and locale.
export TZ=Asia/Tokyo LC_ALL=C.UTF-8
unset LANG LC_TIME LC_COLLATE

# Seconds (wall clock) that a command takes; its output is dropped.
seconds_of() {
    local start end
    start=$EPOCHREALTIME
    "$@" >/dev/null
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

# Peak resident memory in MB of a command; its output is dropped.
peak_mb_of() {
    local file kb
    file=$(mktemp)
    /usr/bin/time -f '%M' -o "$file" "$@" >/dev/null
    kb=$(tail -1 "$file")
    rm -f "$file"
    awk -v kb="$kb" 'BEGIN { printf "%.1f\n", kb / 1024 }'
}

# The median of the numbers given.
median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
        if (NR % 2) printf "%.3f\n", v[(NR + 1) / 2];
        else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }

# True when a <= b.
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }

# ok when a <= b, else FAIL.
verdict() { if at_most "$1" "$2"; then echo ok; else echo FAIL; fi; }

# A fresh tree for one command: made in a new folder under the given root.
fresh_tree() {  # ROOT NAME COUNT PER_FOLDER
    rm -rf "${1:?}/$2"
    "$BIN/bench_make_tree" "$1/$2" "$3" "$4"
    sync
}

# The file system a folder lies on.
fs_type() { findmnt -nf -o FSTYPE --target "$1" 2>/dev/null || stat -f -c %T "$1"; }

# The last line of every script: one row of the report.
#   result ROW "FIGURE A" "FIGURE B" RATIO "TARGET" ok|FAIL
result() {
    echo "RESULT | $1 | $2 | $3 | $4 | $5 | $6"
}

# The tree of a million files (1,000 a folder) that the walk and window figures
# share; made once and kept until a command renames its files.
million_tree() {
    local tree="$WORK/million"
    if [ ! -f "$WORK/million.ready" ]; then
        rm -rf "$tree"
        echo "making $tree (1,000,000 files)..." >&2
        "$BIN/bench_make_tree" "$tree" 1000000 1000
        sync
        touch "$WORK/million.ready"
    fi
    echo "$tree"
}

# The FUSE layer of bench/slow_fs.c, answering every request after 1 ms, over
# $BACK at $MNT; it writes its request counts to $COUNTS when unmounted.
mount_slow_fuse() {
    "$BIN/bench_slow_fs" "$BACK" "$COUNTS" 1000 "$MNT" &
    LAYER=$!
    for _ in $(seq 200); do
        mountpoint -q "$MNT" && return
        sleep 0.05
    done
    echo "the FUSE layer did not mount" >&2
    exit 1
}
unmount_slow_fuse() {
    fusermount3 -u "$MNT"
    wait "$LAYER"
}

# The Windows build's folder (WIN_BUILD, default build-win) in WIN_BUILD, when
# the file given below it was built; otherwise the row says so, without a
# verdict against the build, and the script ends.
require_windows_build() {  # FILE_IN_BUILD ROW TARGET
    WIN_BUILD=$(cd "$BENCH_SOURCE/.." && cd "${WIN_BUILD:-build-win}" 2>/dev/null && pwd || true)
    if [ -z "$WIN_BUILD" ] || [ ! -f "$WIN_BUILD/$1" ]; then
        echo "no Windows build: run make windows first"
        result "$2" "(not built)" "" "" "$3" ok
        exit 0
    fi
}
