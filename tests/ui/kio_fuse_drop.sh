#!/bin/bash
# Network locations dropped on the window, as KDE's file manager drags them: an
# SMB guest share and an SFTP server of the test's own on 127.0.0.1, a private
# D-Bus session that starts kio-fuse on demand, and a drag of smb:// and
# sftp:// URIs (a file and a folder each) onto the real window in a virtual X
# server (run under xvfb-run). The files must be listed and renamed on the
# server. First the mapping client's own tests run against the real service.
#
# ssh reads its known hosts below the account's home whatever HOME says: the
# test runs in a mount namespace of its own with an empty home folder laid
# over the account's, so that no file of the machine's is touched.
#
# Usage: kio_fuse_drop.sh TAVREL DRAG_SOURCE UI_TESTS SCREENSHOT_DIR
set -u
tavrel_binary=$1
drag_source=$2
ui_tests=$3
screenshots=$4
skip_code=77
skip() { echo "SKIP: $*"; exit $skip_code; }

kio_fuse=$(ls /usr/lib/*/libexec/kio-fuse 2>/dev/null | head -n 1)
[ -n "$kio_fuse" ] || skip "kio-fuse is not installed"
for worker in smb sftp; do
    ls /usr/lib/*/qt5/plugins/kf5/kio/$worker.so >/dev/null 2>&1 ||
        skip "KIO's $worker worker is not installed (kio-extras)"
done
for tool in smbd dbus-run-session dbus-send ssh-agent ssh-keyscan python3 xdotool unshare; do
    command -v "$tool" >/dev/null || skip "$tool is missing here"
done
[ -c /dev/fuse ] || skip "/dev/fuse is missing here"

case ${KIO_DROP_STAGE:-} in
"")
    unshare --mount --propagation private true 2>/dev/null || skip "no mount namespace of our own here"
    exec env KIO_DROP_STAGE=namespace unshare --mount --propagation private bash "$0" "$@"
    ;;
namespace)
    source "$(dirname "$0")/../gvfs/share_fixture.sh"
    home=$(getent passwd "$(id -u)" | cut -d: -f6)
    mount -t tmpfs -o mode=700 tavrel-home "$home" || skip "cannot lay a home folder of our own over $home"
    export HOME=$home
    work=$(mktemp -d /tmp/tavrel-kio.XXXXXX)
    SMBD_PID= SSHD_PID= SSH_AGENT_PID=
    cleanup() {
        end_session_daemons "$work/run"
        fusermount3 -u -z "$work"/run/kio-fuse-* 2>/dev/null
        kill $SSHD_PID $SSH_AGENT_PID 2>/dev/null
        [ -n "$SMBD_PID" ] && kill "$SMBD_PID" 2>/dev/null && wait "$SMBD_PID" 2>/dev/null
        rm -rf "$work"
    }
    trap cleanup EXIT
    mkdir -p "$work/share" "$work/run"
    chmod 700 "$work/run"
    start_smb_server "$work/smb" "$work/share" 2>"$work/server.err" ||
        skip "no SMB server: $(cat "$work/server.err")"
    start_ssh_server "$work/sshd" 2>"$work/server.err" || skip "no SSH server: $(cat "$work/server.err")"
    # The server's key is known, as after the user accepted it once; the
    # user's key comes from an agent, as on a desktop.
    mkdir -p "$HOME/.ssh"
    ssh-keyscan -p "$SSH_PORT" -t ed25519 127.0.0.1 2>/dev/null >"$HOME/.ssh/known_hosts"
    eval "$(ssh-agent -s -a "$work/agent.socket")" >/dev/null && ssh-add -q "$SSH_KEY" ||
        skip "no ssh agent"
    # kio-fuse's helpers ask a display-less Qt for their dialogs.
    XDG_RUNTIME_DIR="$work/run" KIO_DROP_STAGE=session KIO_WORK=$work QT_QPA_PLATFORM=offscreen \
        KIO_SMB="smb://127.0.0.1:$SMB_PORT/share" KIO_SFTP="sftp://$(id -un)@127.0.0.1:$SSH_PORT$work/share" \
        dbus-run-session -- bash "$0" "$@" >"$work/session.out" 2>"$work/session.err" </dev/null
    code=$?
    cat "$work/session.out"
    [ "$code" = 0 ] || [ "$code" = $skip_code ] || grep -v "^dbus-daemon\|^$" "$work/session.err" | tail -n 20
    exit $code
    ;;
esac

# ---- inside the private session
server=$KIO_WORK/share
export TZ=UTC LC_ALL=C
mkdir -p "$server/smb/folder" "$server/sftp/folder"
for side in smb sftp; do
    printf '%s 1' "$side" >"$server/$side/IMG_1.jpg"
    printf '%s 2' "$side" >"$server/$side/folder/IMG_2.jpg"
    printf '%s 3' "$side" >"$server/$side/folder/IMG_3.jpg"
done
touch -d "2011-09-14 10:00" "$server"/*/IMG_1.jpg "$server"/*/folder/IMG_*.jpg

# The first question starts kio-fuse and logs in; asked here, unbounded in
# time, so that the window's own questions find it answering.
for location in "$KIO_SMB/smb" "$KIO_SFTP/sftp"; do
    dbus-send --session --print-reply --reply-timeout=600000 --dest=org.kde.KIOFuse /org/kde/KIOFuse \
        org.kde.KIOFuse.VFS.mountUrl string:"$location" >"$KIO_WORK/warm.out" 2>&1 ||
        skip "kio-fuse gave no path for $location: $(cat "$KIO_WORK/warm.out")"
done

TAVREL_KIO_SMB_FILE="$KIO_SMB/smb/IMG_1.jpg" TAVREL_KIO_SFTP_FILE="$KIO_SFTP/sftp/IMG_1.jpg" \
    "$ui_tests" --gtest_filter='KioFuseMapper.*' >"$KIO_WORK/client.out" 2>&1 ||
    { echo "FAIL: the mapping client against kio-fuse:"; grep -A5 "Failure\|FAILED" "$KIO_WORK/client.out" | head -n 30; exit 1; }

# The window and the drag source on the virtual X server.
unset QT_QPA_PLATFORM
source "$(dirname "$0")/x_session.sh"
mkdir -p "$work/app"
cp "$tavrel_binary" "$work/app/tavrel"
cp "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
start_window_manager
"$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" & tavrel_pid=$!
pids+=($tavrel_pid)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window"
xdotool windowmove --sync "$window" 40 40

drag_onto "$window" "$KIO_SMB/smb/IMG_1.jpg" "$KIO_SMB/smb/folder" \
    "$KIO_SFTP/sftp/IMG_1.jpg" "$KIO_SFTP/sftp/folder/"
# The drag ends once the window has taken the drop: Execute queues behind
# the drop's walk.
xdotool windowactivate --sync "$window"
point_at "$window" $((234 + 37)) $((207 + 20))
xdotool click 1
renamed() {
    for side in smb sftp; do
        for file in "$side/20110914_IMG_1.jpg" "$side/folder/20110914_IMG_2.jpg" "$side/folder/20110914_IMG_3.jpg"; do
            [ -f "$server/$file" ] || return 1
        done
    done
}
wait_until renamed || fail "not renamed on the server: $(cd "$server" && find . -type f | sort)
$(cat "$work/tavrel.err")"
end_drag_source
[ "$(cd "$server" && find . -type f | sort | tr '\n' ' ')" = "./sftp/20110914_IMG_1.jpg ./sftp/folder/20110914_IMG_2.jpg ./sftp/folder/20110914_IMG_3.jpg ./smb/20110914_IMG_1.jpg ./smb/folder/20110914_IMG_2.jpg ./smb/folder/20110914_IMG_3.jpg " ] ||
    fail "files on the server: $(cd "$server" && find . -type f | sort)"
for side in smb sftp; do
    [ "$(cat "$server/$side/20110914_IMG_1.jpg")" = "$side 1" ] || fail "$side/IMG_1.jpg's contents changed"
done
wmctrl -i -c "$window"
wait_for_exit $tavrel_pid
echo "PASS: smb:// and sftp:// files and folders dropped, listed through kio-fuse and renamed on the server"
