# Shared steps of the window tests of long work: a few thousand files behind
# the slowed file system (slowed_file_system.cpp), its delay changed while a
# test runs, and the names on disk checked against what a stopped pass and its
# undo may leave. Source it after x_session.sh, with "slowed_fs" set to the
# helper program; call end_slowed_mount before the work folder goes.
#
# The files: $folders folders of $per_folder files each under "$backing",
# shown at "$mount"; their paths relative to it, in order, are in
# "$work/originals". Each file's stamped name is "$stamp" before its name.

folders=150
per_folder=20
backing="$work/backing"
mount="$work/mnt"
delay_file="$work/delay"
slowed_pid=

# Exit code that ctest reads as "skipped" (SKIP_RETURN_CODE).
skip_code=77

make_files() {
    local d f n=0 dir
    mkdir -p "$backing" "$mount"
    : >"$work/originals"
    for ((d = 0; d < folders; d++)); do
        dir=$(printf 'd%03d' "$d")
        mkdir "$backing/$dir"
        for ((f = 0; f < per_folder; f++, n++)); do
            printf '%s/IMG_%04d.jpg\n' "$dir" "$n" >>"$work/originals"
        done
    done
    (cd "$backing" && xargs -d '\n' touch -d "$1" <"$work/originals") ||
        fail "could not make the files"
}

# Sets the delay of every request, in microseconds.
set_delay() {
    echo "$1" >"$delay_file"
    kill -USR1 "$slowed_pid" || fail "the slowed file system is gone"
}

# Mounts the backing folder at the mount point, each request delayed by $1
# microseconds. Where this machine cannot mount a FUSE file system at all, the
# test is skipped.
mount_slowed() {
    [ -c /dev/fuse ] || { echo "SKIP: /dev/fuse is missing here"; exit $skip_code; }
    echo "$1" >"$delay_file"
    "$slowed_fs" "$delay_file" "$backing" "$mount" >"$work/slowed.out" 2>&1 &
    slowed_pid=$!
    mounted() { mountpoint -q "$mount" || ! kill -0 "$slowed_pid" 2>/dev/null; }
    wait_until mounted
    if ! mountpoint -q "$mount"; then
        # Refused by the kernel or by fusermount3: no FUSE here for us.
        local refused="permission denied|operation not permitted|device not found|no such device"
        if grep -qiE "$refused|fusermount3.*not found" "$work/slowed.out"; then
            echo "SKIP: no FUSE mount here: $(cat "$work/slowed.out")"
            exit $skip_code
        fi
        fail "the slowed file system did not mount: $(cat "$work/slowed.out")"
    fi
}

# Unmounts, as a user does; the helper ends with exit code 0.
unmount_slowed() {
    set_delay 0
    fusermount3 -u "$mount" || fail "could not unmount the slowed file system"
    wait_for_exit "$slowed_pid"
    [ "$code" = 0 ] || fail "the slowed file system ended with '$code': $(cat "$work/slowed.out")"
    slowed_pid=
}

# For the exit trap: nothing left mounted, whatever state the test ended in.
end_slowed_mount() {
    if [ -n "$slowed_pid" ]; then
        echo 0 >"$delay_file"
        kill -USR1 "$slowed_pid" 2>/dev/null
        fusermount3 -u "$mount" 2>/dev/null || fusermount3 -u -z "$mount" 2>/dev/null
        wait "$slowed_pid" 2>/dev/null
    fi
}

# The files' paths relative to the backing folder, sorted.
files_on_disk() {
    (cd "$backing" && find . -type f -printf '%P\n') | LC_ALL=C sort
}

# Presses Execute on the window, waits for the pass's progress over the 3,000
# files, presses Esc and waits for the title to come back (needs x_session.sh).
execute_and_stop() {  # WINDOW TITLE_PATTERN
    local window=$1 title_pattern=$2
    # progress: the title seen in progress, for the caller to report.
    set_delay 2000
    xdotool windowactivate --sync "$window"
    point_at "$window" $((234 + 37)) $((207 + 20))
    xdotool click 1
    progress=$(wait_for_title "$window" "$title_pattern — [1-9][0-9,]* / [0-9,]+\$") ||
        fail "the pass showed no progress; the title is '$(title_of "$window")'"
    [[ $progress == *" / 3,000" ]] ||
        fail "the pass's progress: '$progress'; the list should hold 3,000 files"
    xdotool key Escape
    # The layer stays slow until the pass has stopped: at full speed it could
    # end before the window has read the key.
    wait_for_title "$window" "$title_pattern\$" >/dev/null ||
        fail "Esc did not stop the pass; the title is '$(title_of "$window")'"
    set_delay 0
}

# Checks the names after a stopped pass against the order the pass went in
# ($1: the files' relative paths in the list's order): in each folder the
# first ones renamed and the rest untouched (a pass on a slow file system
# renames in several folders at once, each in list order), none lost, at
# least one of each. Sets "renamed" to the renamed files' paths as they are
# now, in the list's order.
check_stopped_pass() {
    local order=$1 on_disk count
    on_disk=$(files_on_disk)
    count=$(grep -c . <<<"$on_disk")
    [ "$count" = "$(grep -c . "$work/originals")" ] ||
        fail "$count files on disk after the stopped pass, expected $(grep -c . "$work/originals")"
    # Each file under exactly one of its two names; the renamed ones first.
    : >"$work/renamed"
    awk -v stamp="$stamp" -v renamed_out="$work/renamed" '
        NR == FNR { on_disk[$0] = 1; next }
        {
            dir = $0; sub(/\/[^\/]*$/, "", dir); name = substr($0, length(dir) + 2)
            old = ($0 in on_disk); new = ((dir "/" stamp name) in on_disk)
            if (old + new != 1) { print "neither or both names: " $0; bad = 1 }
            if (!new) { untouched++; untouched_in[dir] = 1; next }
            renamed++
            if (dir in untouched_in) {
                print "renamed after a file of its folder the pass left untouched: " $0; bad = 1
            }
            print dir "/" stamp name >renamed_out
        }
        END {
            if (renamed == 0) { print "no file was renamed"; bad = 1 }
            if (renamed == FNR) {
                print "the pass renamed every file before Esc: the file system was not slow enough"
                bad = 1
            }
            exit bad
        }' <(echo "$on_disk") <(echo "$order") >"$work/pass.check" ||
        fail "after the stopped pass: $(head -n 5 "$work/pass.check")"
    renamed=$(cat "$work/renamed")
}

# Whether every file bears its original name again.
originals_back() {
    [ "$(files_on_disk)" = "$(LC_ALL=C sort "$work/originals")" ]
}
