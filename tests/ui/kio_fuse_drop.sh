#!/bin/bash
# smb:// and sftp:// files and folders, dragged as KDE's file manager drags
# them from an SMB guest share and an SFTP server of the test's own on
# 127.0.0.1, dropped on the real window (under xvfb-run) with a D-Bus session
# that starts kio-fuse: they are renamed on the server. First the mapping
# client's own test runs against the real service.
# Usage: kio_fuse_drop.sh TAVREL DRAG_SOURCE UI_TESTS SCREENSHOT_DIR
set -u
tavrel_binary=$1 drag_source=$2 ui_tests=$3 screenshots=$4

source "$(dirname "$0")/../gvfs/share_fixture.sh"
missing=$(kio_fuse_missing)
[ -z "$missing" ] || skip "$missing"
command -v xdotool >/dev/null || skip "xdotool is missing here"  # the servers: on their start
kio_work=$(mktemp -d /tmp/tavrel-kio.XXXXXX)
SMBD_PID= SSHD_PID=
kio_cleanup() {
    stop_kio_fuse
    kill $SSHD_PID 2>/dev/null
    [ -n "$SMBD_PID" ] && kill "$SMBD_PID" 2>/dev/null && wait "$SMBD_PID" 2>/dev/null
    rm -rf "$kio_work"
}
trap kio_cleanup EXIT
server=$kio_work/share
start_smb_server "$kio_work/smb" "$server" 2>"$kio_work/server.err" &&
    start_ssh_server "$kio_work/sshd" 2>>"$kio_work/server.err" ||
    skip "no SMB or SSH server: $(cat "$kio_work/server.err")"
start_kio_fuse "$kio_work/kio" || skip "no D-Bus session for kio-fuse"
smb="smb://127.0.0.1:$SMB_PORT/share"
sftp="sftp://$(id -un)@127.0.0.1:$SSH_PORT$server"

export TZ=UTC LC_ALL=C
files="IMG_1.jpg folder/IMG_2.jpg folder/IMG_3.jpg"
expected=  # the server's files after the pass: name|contents;
for side in sftp smb; do
    mkdir -p "$server/$side/folder"
    for file in $files; do
        printf '%s %s' "$side" "$file" >"$server/$side/$file"
        touch -d "2011-09-14 10:00" "$server/$side/$file"
        expected+="$side/${file%IMG_*}20110914_${file#*/}|$side $file;"
    done
done

# The first question starts kio-fuse and logs in: asked here, with time to
# spare, so that the window's own questions find it answering.
for location in "$smb/smb" "$sftp/sftp"; do
    kio_fuse_path "$location" >/dev/null || skip "kio-fuse gave no path for $location"
done
TAVREL_KIO_SMB_FILE="$smb/smb/IMG_1.jpg" QT_QPA_PLATFORM=offscreen \
    "$ui_tests" --gtest_filter='KioFuseMapper.*' >"$kio_work/client.out" 2>&1 &&
    ! grep -q "SKIPPED \]" "$kio_work/client.out" ||
    { echo "FAIL: the mapping client against kio-fuse:"; tail -n 30 "$kio_work/client.out"; exit 1; }

# Every wait bounded generously: on a busy machine the window was seen to take
# over 90 s to open beside the share's servers and kio-fuse.
x_wait_seconds=300
source "$(dirname "$0")/x_session.sh"
trap 'cleanup; kio_cleanup' EXIT
mkdir -p "$work/app"
cp "$tavrel_binary" "$(dirname "$tavrel_binary")/tavrel-window.so" "$work/app/"
start_window_manager
"$work/app/tavrel" >"$work/tavrel.out" 2>"$work/tavrel.err" &
pids+=($!)
window=$(wait_for_window "Tavrel v1.2.0.13") || fail "no window"
xdotool windowmove --sync "$window" 40 40
drag_onto "$window" "$smb/smb/IMG_1.jpg" "$smb/smb/folder" "$sftp/sftp/IMG_1.jpg" "$sftp/sftp/folder/"
# Execute, pressed once the window has taken the drop, queues behind its walk.
xdotool windowactivate --sync "$window"
point_at "$window" $((234 + 37)) $((207 + 20))
xdotool click 1
# Renamed on the server, each file with its own contents, nothing else there.
listing() {
    (cd "$server" && for f in $(find . -type f -printf '%P\n' | sort); do printf '%s|%s;' "$f" "$(cat "$f")"; done)
}
wait_until eval '[ "$(listing)" = "$expected" ]' || fail "on the server: $(listing)
$(cat "$work/tavrel.err")"
end_drag_source
echo "PASS: smb:// and sftp:// files and folders dropped, listed through kio-fuse and renamed on the server"
