#!/bin/bash
# The command line on a slow file system (where the pass reads ahead on
# threads of its own) when the system grants few threads: run as an ordinary
# user under a per-user process limit of 1 to 4, `tavrel DIR` renames every
# file to its exact stamped name, loses none, says nothing and exits with 0.
# A thread that cannot be started must mean fewer threads, not an abort.
#
# The limit counts every process and thread of the user, and root ignores
# it: Tavrel runs as a user id of its own that no account and no process
# holds, so the limit is Tavrel's alone.
# Usage: command_line_scarce_threads.sh TAVREL SLOWED_FS
set -u
tavrel_binary=$1
slowed_fs_binary=$2
screenshots=$(mktemp -d /tmp/tavrel-scarce-XXXXXX)

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/slowed_mount.sh"
trap 'end_slowed_mount; cleanup; rm -rf "$screenshots"' EXIT
export TZ=UTC LC_ALL=C

for tool in setpriv prlimit; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool here"; exit $skip_code; }
done
user=""
for id in $(seq 64000 64099); do
    if ! getent passwd "$id" >/dev/null && ! ps -o pid= -u "$id" >/dev/null; then
        user=$id
        break
    fi
done
[ -n "$user" ] || { echo "SKIP: no unused user id in 64000..64099"; exit $skip_code; }
as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
"${as_user[@]}" true 2>/dev/null || { echo "SKIP: cannot run as another user here (not root?)"; exit $skip_code; }

# The mount is root's: allow_other lets the other user in. The function runs
# in the background in place of the helper, so it execs to keep its pid.
slowed_for_all() { exec "$slowed_fs_binary" "$@" allow_other; }
slowed_fs=slowed_for_all
mkdir -p "$backing" "$mount" "$work/app"
cp "$tavrel_binary" "$work/app/tavrel"
chmod 755 "$work" "$work/app"
mount_slowed 1000
# The journals of the runs in a state folder the user may write.
export XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_STATE_HOME" && chown "$user:$user" "$XDG_STATE_HOME"

# Three folders of 40, a day of their own each; fresh names for every limit,
# so nothing a run left in the kernel's caches meets the next one.
days=(2011-09-14 2016-02-29 2023-12-31)
make_tree() {  # ROOT
    local d f
    : >"$work/expected"
    for d in 0 1 2; do
        mkdir -p "$backing/$1/d$d"
        for ((f = 0; f < 40; f++)); do
            touch -d "${days[d]} 05:25:36" "$backing/$1/d$d/IMG_$f.jpg"
            echo "$1/d$d/${days[d]//-/}_IMG_$f.jpg" >>"$work/expected"
        done
    done
    chown -R "$user:$user" "$backing/$1"
}

for limit in 1 2 3 4; do
    make_tree "n$limit"
    # The sanitizer build's leak check runs on a thread of its own as the
    # program ends; under a limit of 1 it cannot have one, and says so.
    leaks=1
    [ "$limit" -gt 1 ] || leaks=0
    ASAN_OPTIONS=detect_leaks=$leaks prlimit --nproc="$limit" "${as_user[@]}" \
        "$work/app/tavrel" "$mount/n$limit" >"$work/out" 2>"$work/err"
    code=$?
    [ "$code" = 0 ] || fail "under --nproc=$limit: exit code $code: $(head -c 500 "$work/err")"
    [ ! -s "$work/err" ] || fail "under --nproc=$limit: stderr: $(head -c 500 "$work/err")"
    diff <(cd "$backing" && find "n$limit" -type f | LC_ALL=C sort) \
        <(LC_ALL=C sort "$work/expected") >"$work/diff" ||
        fail "under --nproc=$limit, the names on disk differ: $(head -n 10 "$work/diff")"
done
unmount_slowed
echo "command line under scarce threads: passed"
