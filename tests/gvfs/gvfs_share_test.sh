#!/bin/bash
# Tavrel on a share opened the way the desktop's file managers open it: an SMB
# server of the test's own (bound to 127.0.0.1, a guest share in a temporary
# folder; or with "sftp" an sshd of its own, the key in an agent), a private
# D-Bus session, and the share's FUSE path in the share browser's daemon
# (gvfs, by `gio mount`) or in kio-fuse (asked over D-Bus). On SMB both accept
# RENAME_NOREPLACE without keeping it, show a link on the server as a plain
# folder and make up an inode number for each path. kio-fuse opens nothing on
# the server while a file is read, so the rival watches its folder instead.
#
#   1. Another program creates Tavrel's new name on the server the moment
#      Tavrel has read the file (100 trials): its file is never replaced but
#      in the instant the SMB layer's own rename leaves, and no photo is lost.
#   2. A folder holding links to itself (loop -> ., up -> ../sub) is walked
#      once, in seconds: every real file renamed once.
#   3. A pass over two paths to one folder renames every real file once and
#      loses nothing.
#   4. The random trees of the unit tests' differential test, made on the
#      server and renamed through the share by both passes, come out alike.
#
# Usage: gvfs_share_test.sh TAVREL RIVAL_SCRIPT UNIT_TESTS [smb|sftp] [gvfs|kio-fuse]
set -u
tavrel=$1
rival=$2
unit_tests=$3
protocol=${4:-smb}
layer=${5:-gvfs}
source "$(dirname "$0")/share_fixture.sh"

tools="dbus-daemon python3 smbd"
[ "$protocol" = smb ] || tools="dbus-daemon python3 ssh-agent"  # sshd: where the fixture finds it
[ "$layer" = kio-fuse ] ||
    tools+=" gio dbus-run-session /usr/libexec/gvfsd-fuse /usr/libexec/gvfsd-$protocol"
for tool in $tools; do command -v "$tool" >/dev/null || skip "$tool is missing here"; done
[ -c /dev/fuse ] || skip "/dev/fuse is missing here"
[ "$layer" = gvfs ] || { missing=$(kio_fuse_missing); [ -z "$missing" ] || skip "$missing"; }

if [ -z "${GVFS_TEST_INSIDE:-}" ]; then
    work=$(mktemp -d /tmp/tavrel-gvfs.XXXXXX)
    smbd_pid= SSHD_PID= SSH_AGENT_PID=
    cleanup() {
        stop_kio_fuse
        end_session_daemons "$work/run"
        kill $SSHD_PID $SSH_AGENT_PID 2>/dev/null
        [ -n "$smbd_pid" ] && kill "$smbd_pid" 2>/dev/null && wait "$smbd_pid" 2>/dev/null
        rm -rf "$work"
    }
    trap cleanup EXIT
    mkdir -p "$work/share" "$work/run"
    chmod 700 "$work/run"
    if [ "$protocol" = smb ]; then
        start_smb_server "$work/smb" "$work/share" 2>"$work/server.err" && smbd_pid=$SMBD_PID &&
            location="smb://127.0.0.1:$SMB_PORT/share"
    elif start_ssh_server "$work/sshd" 2>"$work/server.err"; then
        # ssh reads its files below the account's home whatever HOME says:
        # the key comes from an agent, as on a desktop (kio-fuse's session
        # has an agent of its own).
        [ "$layer" = kio-fuse ] ||
            { eval "$(ssh-agent -s -a "$work/agent.socket")" >/dev/null && ssh-add -q "$SSH_KEY"; } &&
            location="sftp://$(id -un)@127.0.0.1:$SSH_PORT$work/share"
    fi
    [ -n "${location:-}" ] || skip "no $protocol server: $(cat "$work/server.err")"
    # The share browser's daemons start on a session bus of their own and
    # mount their FUSE layer below XDG_RUNTIME_DIR; kio-fuse has its session.
    session="dbus-run-session --"
    [ "$layer" = gvfs ] || { session= && start_kio_fuse "$work/kio" 2>"$work/session.err"; } ||
        skip "kio-fuse's session did not start: $(tail -n 3 "$work/session.err")"
    XDG_RUNTIME_DIR="$work/run" GVFS_TEST_INSIDE=1 GVFS_WORK=$work GVFS_LOCATION=$location \
        $session bash "$0" "$tavrel" "$rival" "$unit_tests" "$protocol" "$layer" \
        >"$work/session.out" 2>>"$work/session.err" </dev/null
    code=$?
    cat "$work/session.out"
    [ "$code" = 0 ] || grep -v "^dbus-daemon\|^$\|WARNING\|libsecret" "$work/session.err" | tail -n 20
    exit $code
fi

# ---- inside the private session
work=$GVFS_WORK
server="$work/share"
export TZ=UTC LC_ALL=C XDG_STATE_HOME="$work/state"
location=$GVFS_LOCATION
unmount() { [ "$layer" = kio-fuse ] || gio mount -u "$location"; }
fail() {
    echo "FAIL: $*"
    unmount 2>/dev/null
    exit 1
}
if [ "$layer" = gvfs ]; then
    # The SMB share lets guests in; the SFTP one takes the agent's key.
    timeout 60 gio mount $([ "$protocol" = sftp ] || echo -a) "$location" </dev/null >"$work/mount.out" 2>&1 ||
        skip "gio mount failed: $(tail -n 3 "$work/mount.out")"
    share=$(gio info "$location/" | sed -n 's/^local path: //p')
    mount_type=fuse.gvfsd-fuse
else
    share=$(kio_fuse_path "$location" 2>"$work/mount.out") ||
        skip "kio-fuse did not mount the share: $(tail -n 3 "$work/mount.out")"
    mount_type=fuse.kio-fuse
fi
[ -n "$share" ] && [ -d "$share" ] || skip "the share has no FUSE path here"
[ "$(findmnt -n -o FSTYPE -T "$share")" = "$mount_type" ] ||
    fail "the share's path is not on a $mount_type mount: $(findmnt -n -T "$share")"
stamp=20110914_

# Makes COUNT photos IMG_<n>.jpg in a folder on the server, "photo <n>" inside.
make_photos() {  # FOLDER COUNT
    mkdir -p "$1"
    for ((i = 0; i < $2; i++)); do printf 'photo %d' "$i" >"$1/IMG_$i.jpg"; done
    touch -d "2011-09-14 10:00" "$1"/IMG_*.jpg
}
# Every photo of the folder on the server once, under its stamped name (with a
# collision tag where the name was taken); echoes what is wrong.
check_photos() {  # FOLDER COUNT
    local i found
    for ((i = 0; i < $2; i++)); do
        found=$(grep -lx "photo $i" "$1"/* 2>/dev/null | xargs -r -n1 basename)
        case $(grep -c . <<<"$found") in
        1) [[ $found == "${stamp}IMG_$i".* ]] || echo "photo $i as '$found'" ;;
        0) echo "photo $i lost" ;;
        *) echo "photo $i more than once: $found" ;;
        esac
    done
}

# 1. The race: 100 trials, one file each, as a shell glob or a file manager's
# "Open With" hands them over.
make_photos "$server/race" 100
ls "$share/race" >/dev/null
read_folder=
[ "$layer" = gvfs ] || read_folder="$share/race"
coproc RIVAL { python3 "$rival" "$server/race" "$stamp" "${RIVAL_STEP_MS:-0.5}" $read_folder; }
rival_pid=$RIVAL_PID
read -r ready <&"${RIVAL[0]}" || fail "the rival did not start"
for ((i = 0; i < 100; i++)); do
    "$tavrel" "$share/race/IMG_$i.jpg" >"$work/race.out" 2>"$work/race.err" ||
        fail "trial $i: exit $?: $(cat "$work/race.err")"
done
exec {RIVAL[1]}>&-
# The names the rival made: each must still hold its file, but for those made
# in the one instant the SMB layer's own rename leaves (see the README).
rival_said=$(cat <&"${RIVAL[0]}")
wait "$rival_pid"
made=0 replaced=0 lost_in_instant=0
while read -r kind name; do
    [ "$kind" = made ] && made=$((made + 1))
    [ -z "${name:-}" ] || [ "$(cat "$server/race/$name" 2>/dev/null)" = rival ] && continue
    [ "$kind" = made ] && replaced=$((replaced + 1)) || lost_in_instant=$((lost_in_instant + 1))
done <<<"$rival_said"
problems=$(check_photos "$server/race" 100)
# kio-fuse's SMB worker checks that the new name is free, then renames (or
# creates) in a request of its own that removes what took the name in between:
# those losses are counted, not failed, as no client closes that gap.
layer_gap=0
[ "$layer/$protocol" != kio-fuse/smb ] || { layer_gap=$replaced replaced=0; }
[ "$replaced" = 0 ] && [ -z "$problems" ] ||
    fail "race: $replaced of the rival's files replaced; $(head -n 3 <<<"$problems")"
empty=$(find "$server/race" -type f -empty | head -n 3)
[ -z "$empty" ] || fail "race: empty files left: $empty"
[ "$made" -gt 0 ] || fail "race: the rival never made a name: the test raced nothing"
echo "race: 100 trials, the rival made $made names first, none replaced, no photo lost" \
    "($lost_in_instant more replaced in the layer's instant, $layer_gap in its check-then-rename)"

# 2. The loop: links on the server to the folder itself.
make_photos "$server/sub" 5
ln -s . "$server/sub/loop"
ln -s ../sub "$server/sub/up"
timeout 120 "$tavrel" "$share/sub" >/dev/null 2>"$work/loop.err"
code=$?
[ "$code" = 0 ] || fail "loop: exit $code: $(cat "$work/loop.err")"
expected=$(printf "${stamp}IMG_%d.jpg\n" 0 1 2 3 4; printf 'loop\nup\n')
[ "$(ls "$server/sub" | LC_ALL=C sort)" = "$(LC_ALL=C sort <<<"$expected")" ] ||
    fail "loop: the folder holds $(ls "$server/sub" | tr '\n' ' ')"
echo "loop: walked once, every file renamed once"

# 3. Two paths to one folder.
make_photos "$server/f0" 40
ln -s f0 "$server/alias"
"$tavrel" "$share/f0" "$share/alias" >/dev/null 2>"$work/alias.err"
problems=$(check_photos "$server/f0" 40)
[ -z "$problems" ] || fail "two paths: $(head -n 3 <<<"$problems")"
[ "$(ls "$server/f0" | grep -c .)" = 40 ] ||
    fail "two paths: the folder holds $(ls "$server/f0" | grep -c .) entries"
echo "two paths to one folder: every file renamed once, nothing lost"

# 4. The differential test's trees.
mkdir -p "$server/diff"
TAVREL_SHARE_SERVER="$server/diff" TAVREL_SHARE_PATH="$share/diff" "$unit_tests" \
    --gtest_filter=StampPassAhead.GivesTheNamesOfThePassInOrderOnAShare >"$work/diff.out" 2>&1 ||
    fail "the passes differ on the share: $(grep -B2 -A6 Failure "$work/diff.out" | head -n 30)"
grep -q "SKIPPED" "$work/diff.out" && fail "the differential test did not see the share"
echo "differential: both passes alike on 30 random trees"

unmount || fail "could not unmount the share"
echo "$layer $protocol share: passed"
