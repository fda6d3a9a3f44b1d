#!/usr/bin/env bash
# Tavrel.exe under Wine on the FUSE layer that answers every request after 1 ms
# (bench/slow_fs.c), 2,000 files in 10 folders of 200: the same mount reached
# through two drive letters of the run's own Wine prefix, L: a local disk (the
# in-order pass) and X: a network drive (GetDriveTypeW says DRIVE_REMOTE: the
# read-ahead pass). Each run gets a fresh tree and a fresh mount; the runs
# alternate; medians of BENCH_RUNS. Wine's own costs dominate, so nothing is
# compared with Linux. Target: the read-ahead pass <= 0.5 x the in-order pass.
# Needs `make windows` (WIN_BUILD, default build-win); without it the row says so.
source "$(dirname "$0")/lib.sh"
COUNT=${BENCH_WINE_COUNT:-2000} PER_FOLDER=$((COUNT / 10))
ROW="Tavrel.exe under Wine, $COUNT files (10 folders of $PER_FOLDER) on the 1 ms layer: network drive vs local drive"
require_windows_build Tavrel.exe "$ROW" "<= 0.5 × in order"
if [ ! -x "$BIN/bench_slow_fs" ] || [ ! -w /dev/fuse ]; then
    result "$ROW" "(no libfuse3 or no /dev/fuse here)" "" "" "<= 0.5 × in order" FAIL
    exit 1
fi

# A Wine prefix of its own, with the benchmarks' zone; the layer's folders.
export TAVREL_WINE_ROOT="$WORK/wine-share" TAVREL_TZ="$TZ"
WINE_SCRIPTS="$BENCH_SOURCE/../tests/win32"
SHARE=$(mktemp -d "$WORK/windows-share.XXXXXX")
BACK="$SHARE/back" MNT="$SHARE/mnt" COUNTS="$SHARE/counts" PROGRAM="$SHARE/program"
mkdir -p "$BACK" "$MNT" "$PROGRAM"
cleanup() {
    mountpoint -q "$MNT" && { fusermount3 -u "$MNT" || fusermount3 -u -z "$MNT"; }
    sh "$WINE_SCRIPTS/wine_prefix.sh" cleanup "$TAVREL_WINE_ROOT"
    rm -rf "$SHARE"
}
trap cleanup EXIT
sh "$WINE_SCRIPTS/wine_prefix.sh" setup "$TAVREL_WINE_ROOT" >&2
in_wine_env() { sh -c '. "$0/wine_env.sh" && exec "$@"' "$WINE_SCRIPTS" "$@"; }
# A copy of the program with no settings file beside it: stamp type 1.
cp "$WIN_BUILD/Tavrel.exe" "$PROGRAM/Tavrel.exe"

mount_share() { mount_slow_fuse; }
unmount_share() { unmount_slow_fuse; }

# Both letters lead to the mount; Wine takes a drive's type from the registry
# when its mount manager starts, so the server is started again afterwards.
WINEPREFIX="$TAVREL_WINE_ROOT/prefix"
ln -sfn "$MNT" "$WINEPREFIX/dosdevices/l:"
ln -sfn "$MNT" "$WINEPREFIX/dosdevices/x:"
for drive in l:=hd x:=network; do
    in_wine_env wine reg add 'HKLM\Software\Wine\Drives' /v "${drive%=*}" /t REG_SZ \
        /d "${drive#*=}" /f </dev/null >/dev/null 2>&1
done
in_wine_env wineserver -k || true
in_wine_env wineserver -w || true
in_wine_env wineserver -p </dev/null >/dev/null 2>&1
# What Tavrel.exe will be told: GetDriveTypeW of each letter (3 local, 4 remote).
cat >"$SHARE/drive_type.c" <<'C'
#include <stdio.h>
#include <windows.h>
int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) printf("%u\n", GetDriveTypeW(argv[i]));
    return 0;
}
C
x86_64-w64-mingw32-gcc -municode -o "$SHARE/drive_type.exe" "$SHARE/drive_type.c"
mount_share
types=$(sh "$WINE_SCRIPTS/wine_run.sh" "$SHARE/drive_type.exe" 'L:\' 'X:\' | tr -d '\r' | paste -sd' ')
unmount_share
[ "$types" = "3 4" ] || { echo "drive types of L: and X: are '$types', not '3 4'" >&2; exit 1; }

# Seconds and the layer's requests a file of one run on the given letter.
one_run() {  # LETTER
    rm -rf "$BACK/t"
    "$BIN/bench_make_tree" "$BACK/t" "$COUNT" "$PER_FOLDER"
    sync
    mount_share
    local seconds stamped
    seconds=$(seconds_of sh "$WINE_SCRIPTS/wine_run.sh" "$PROGRAM/Tavrel.exe" "$1:\\t")
    unmount_share
    stamped=$(find "$BACK/t" -type f -name '20??????_IMG_*' | wc -l)
    [ "$stamped" = "$COUNT" ] || { echo "$1: stamped $stamped of $COUNT files" >&2; exit 1; }
    awk -v s="$seconds" -v n="$COUNT" '/^total/ { printf "%s %.2f\n", s, $2 / n }' "$COUNTS"
}

local_times=() network_times=()
for ((run = 1; run <= RUNS; ++run)); do
    line=$(one_run L) && read -r l_s l_req <<<"$line"
    line=$(one_run X) && read -r x_s x_req <<<"$line"
    local_times+=("$l_s") network_times+=("$x_s")
    echo "run $run: L: (in order) $l_s s, $l_req req a file; X: (read-ahead) $x_s s, $x_req req a file" >&2
done
l=$(median "${local_times[@]}") x=$(median "${network_times[@]}") r=$(ratio "$x" "$l")
echo "read-ahead ${network_times[*]} s; in order ${local_times[*]} s; medians $x / $l = $r"
result "$ROW" "X: (network) read-ahead $x s, $x_req req a file" "L: (local) in order $l s, $l_req req a file" \
    "$r" "<= 0.5 × in order" "$(verdict "$r" 0.5)"
