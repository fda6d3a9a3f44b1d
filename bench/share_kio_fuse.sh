#!/usr/bin/env bash
# Files on a share opened as KDE's file manager opens it: kio-fuse, in a D-Bus
# session of the run's own, over an SMB share (an smbd of the run's own on
# 127.0.0.1, a guest share) or an SFTP share (an sshd of the run's own, its
# key in an agent of the session's own), each run on a fresh tree and a fresh
# kio-fuse: in 10 folders and in one folder, Tavrel against the floor and
# perl's rename; then Tavrel started with bare names from within one folder
# of 200 and with its file names, against the same folder as its argument.
# Targets: every file renamed; Tavrel faster than perl's rename in 10 folders
# on SFTP, within 1.15 x of it on SMB, where the layer's rename does not keep
# RENAME_NOREPLACE and Tavrel reserves each new name first; bare names and
# file names within 1.15 x the folder argument.
#
# Usage: share_kio_fuse.sh smb|sftp
PROTOCOL=${1:?smb or sftp}
export BENCH_SHARE_COUNT=${BENCH_SHARE_COUNT:-1000}
source "$(dirname "$0")/share_lib.sh"
LABEL="rename $COUNT files on $PROTOCOL through kio-fuse"
case $PROTOCOL in
smb) TARGET=1.15 ;;
sftp) TARGET=1.00 ;;
*) echo "share_kio_fuse.sh: smb or sftp, not '$PROTOCOL'" >&2; exit 2 ;;
esac
missing=$(kio_fuse_missing)
[ -z "$missing" ] || { result "$LABEL" "($missing)" "" "" "< perl rename" FAIL; exit 1; }

SMBD_PID=""
# Every step may fail here without ending the clean-up (errexit holds in traps).
kio_cleanup() {
    stop_kio_fuse
    [ -z "$SMBD_PID" ] || kill "$SMBD_PID" 2>/dev/null || true
    share_cleanup || true
}
trap kio_cleanup EXIT

if [ "$PROTOCOL" = smb ]; then
    command -v smbd >/dev/null || { result "$LABEL" "(no smbd here)" "" "" "" FAIL; exit 1; }
    start_smb_server "$SHARE/smb" "$BACK" || { result "$LABEL" "(smbd did not start)" "" "" "" FAIL; exit 1; }
    LOCATION="smb://127.0.0.1:$SMB_PORT/share"
else
    start_sshd
    LOCATION="sftp://$(id -un)@127.0.0.1:$SSH_PORT$BACK"
fi

# A fresh kio-fuse for each run, so that nothing it fetched before counts.
mounts=0
mount_share() {
    local _
    mounts=$((mounts + 1))
    start_kio_fuse "$SHARE/kio$mounts"
    for _ in $(seq 100); do
        MNT=$(kio_fuse_path "$LOCATION" 2>/dev/null) && [ -d "$MNT/t" ] && return
        sleep 0.1
    done
    echo "kio-fuse did not mount the share: '$MNT'" >&2
    exit 1
}
unmount_share() { stop_kio_fuse; }
measure_share

# Every file renamed, and the verdict against perl's rename in 10 folders.
status=ok
for folders in 10 1; do
    t=$(eval echo "\$MS_${folders}_tavrel") f=$(eval echo "\$MS_${folders}_floor")
    p=$(eval echo "\$MS_${folders}_perl")
    figures+="${figures:+; }$folders×$((COUNT / folders)): $t ms"
    others+="${others:+; }floor $f ms, perl $p ms"
    ratios+="${ratios:+; }$(ratio "$t" "$f") × floor, $(ratio "$t" "$p") × perl"
done
if [ "$TARGET" = 1.00 ]; then
    awk -v a="$MS_10_tavrel" -v b="$MS_10_perl" 'BEGIN { exit !(a < b) }' || status=FAIL
    target="< perl rename (10 folders)"
else
    at_most "$(ratio "$MS_10_tavrel" "$MS_10_perl")" "$TARGET" || status=FAIL
    target="<= $TARGET × perl rename (10 folders)"
fi
[ "$UNSTAMPED" = 0 ] || status=FAIL
result "$LABEL, ms a file (10 folders; 1 folder)" "$figures" "$others" "$ratios" \
    "$target, none left" "$status"

start_shapes_result "kio-fuse"
