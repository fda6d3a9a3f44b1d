#!/usr/bin/env bash
# 2,000 files on a share opened as the file manager opens it: the share
# browser's FUSE mount, in a D-Bus session of the run's own, of an SMB share
# (an smbd of the run's own on 127.0.0.1) or an SFTP share (an sshd of the
# run's own, its key given by an ssh-agent of the run's own, as a desktop's
# agent gives it), each run on a fresh tree and a fresh mount: in 10 folders
# of 200 and in one folder of 2,000, Tavrel against the floor and perl's
# rename; then Tavrel started with bare names from within one folder of 200
# and with its file names, against the same folder as its argument.
# Targets: Tavrel faster than perl's rename in 10 folders of 200; bare names
# and file names within 1.15 x the folder argument.
#
# Usage: share_gvfs.sh smb|sftp
PROTOCOL=${1:?smb or sftp}
export BENCH_SHARE_COUNT=${BENCH_SHARE_COUNT:-2000}
source "$(dirname "$0")/share_lib.sh"
LABEL="rename $COUNT files on $PROTOCOL through the file manager's FUSE mount"
for tool in gio dbus-daemon; do
    command -v "$tool" >/dev/null ||
        { result "$LABEL" "(no $tool here)" "" "" "< perl rename (10 folders)" FAIL; exit 1; }
done
if [ ! -x /usr/libexec/gvfsd-fuse ] || [ ! -w /dev/fuse ]; then
    result "$LABEL" "(no gvfsd-fuse or no /dev/fuse here)" "" "" "< perl rename (10 folders)" FAIL
    exit 1
fi

# The session: its daemons start on the bus and mount below XDG_RUNTIME_DIR,
# kept short: ssh's connection-sharing socket below it must fit a socket
# address (108 bytes), and the SFTP share fails to connect otherwise.
XDG_RUNTIME_DIR=$(mktemp -d /tmp/tavrel-run.XXXXXX)
export XDG_RUNTIME_DIR
SMBD_PID="" BUS_PID="" LOCATION="" SSH_AGENT_PID=""
# Every step may fail here without ending the clean-up (errexit holds in traps).
gvfs_cleanup() {
    gio mount -u "$LOCATION" >/dev/null 2>&1 || true
    [ -z "$BUS_PID" ] || kill "$BUS_PID" 2>/dev/null || true
    end_session_daemons "$XDG_RUNTIME_DIR"
    [ -z "$SMBD_PID" ] || kill "$SMBD_PID" 2>/dev/null || true
    [ -z "$SSH_AGENT_PID" ] || kill "$SSH_AGENT_PID" 2>/dev/null || true
    share_cleanup || true
    rm -rf "$XDG_RUNTIME_DIR"
}
trap gvfs_cleanup EXIT

case $PROTOCOL in
smb)
    command -v smbd >/dev/null || { result "$LABEL" "(no smbd here)" "" "" "" FAIL; exit 1; }
    start_smb_server "$SHARE/smb" "$BACK" || { result "$LABEL" "(smbd did not start)" "" "" "" FAIL; exit 1; }
    LOCATION="smb://127.0.0.1:$SMB_PORT/share" MOUNT_OPTIONS=(-a)  # as a guest
    ;;
sftp)
    command -v ssh-agent >/dev/null || { result "$LABEL" "(no ssh-agent here)" "" "" "" FAIL; exit 1; }
    start_sshd
    # ssh reads its files below the account's home, whatever HOME says: the
    # key comes from the agent instead, and the session's daemons inherit it.
    eval "$(ssh-agent -s -a "$SHARE/agent.socket")" >/dev/null
    ssh-add -q "$SSH_KEY"
    LOCATION="sftp://$(id -un)@127.0.0.1:$SSH_PORT$BACK" MOUNT_OPTIONS=()
    ;;
*) echo "share_gvfs.sh: smb or sftp, not '$PROTOCOL'" >&2; exit 2 ;;
esac
read -r DBUS_SESSION_BUS_ADDRESS BUS_PID < <(dbus-daemon --session --fork --print-address=1 \
    --print-pid=1 | paste -sd' ')
export DBUS_SESSION_BUS_ADDRESS

# Mounts, and waits until the tree shows through the FUSE path.
mount_share() {
    local _
    for _ in $(seq 100); do
        # "Already mounted" is an answer too: the path is what counts.
        gio mount "${MOUNT_OPTIONS[@]}" "$LOCATION" </dev/null >/dev/null 2>&1 || true
        MNT=$(gio info "$LOCATION/" 2>/dev/null | sed -n 's/^local path: //p')
        [ -n "$MNT" ] && ls "$MNT" >/dev/null 2>&1 && [ -d "$MNT/t" ] && return
        sleep 0.1
    done
    echo "the share did not mount: '$MNT'" >&2
    exit 1
}
# The layer may still be busy with the last requests: the next mount waits.
unmount_share() { gio mount -u "$LOCATION" >/dev/null 2>&1 || true; }
measure_share
share_result "$LABEL" "" ""

start_shapes_result "the file manager's FUSE mount"
