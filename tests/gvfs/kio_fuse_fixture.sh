# kio-fuse (with the SMB and SFTP workers of kio-extras) in a D-Bus session of
# its own. Sourced by share_fixture.sh; then:
#
#   kio_fuse_missing          # why it cannot run here, or nothing
#   start_kio_fuse STATE_DIR  # the session bus; exports DBUS_SESSION_BUS_ADDRESS
#   kio_fuse_path URL         # the local path of an smb:// or sftp:// URL
#   stop_kio_fuse             # ends the session's daemons, unmounts
#
# The bus starts kio-fuse at the first kio_fuse_path; it mounts below
# STATE_DIR/run. Its SFTP worker logs in with start_ssh_server's SSH_KEY from
# an agent of the session's own and checks the server's key in a known_hosts
# of its own, so no URL carries a password and nothing is asked. That worker
# reads its files below the account database's home folder, not HOME: the
# daemons see STATE_DIR/home there through nss_wrapper.

KIO_FUSE_PROGRAM=/usr/lib/x86_64-linux-gnu/libexec/kio-fuse
KIO_WORKERS=/usr/lib/x86_64-linux-gnu/qt5/plugins/kf5/kio
NSS_WRAPPER_LIBRARY=/usr/lib/x86_64-linux-gnu/libnss_wrapper.so

kio_fuse_missing() {
    local need
    for need in "$KIO_FUSE_PROGRAM" "$KIO_WORKERS/smb.so" "$KIO_WORKERS/sftp.so" \
        "$NSS_WRAPPER_LIBRARY" /dev/fuse; do
        [ -e "$need" ] || { echo "$need is missing (kio-fuse, kio-extras, libnss-wrapper)"; return; }
    done
    for need in dbus-daemon gdbus ssh-agent fusermount3; do
        command -v "$need" >/dev/null || { echo "$need is missing"; return; }
    done
}

start_kio_fuse() {
    local state=$1
    KIO_FUSE_STATE=$state
    mkdir -p "$state"/{home/.ssh,run,config,cache,data}
    chmod 700 "$state/run"
    getent passwd "$(id -u)" | awk -F: -v home="$state/home" 'BEGIN { OFS = ":" } { $6 = home; print }' \
        >"$state/passwd"
    getent group "$(id -g)" >"$state/group"
    KIO_FUSE_AGENT_PID=
    if [ -n "${SSH_KEY:-}" ]; then
        echo "[127.0.0.1]:$SSH_PORT $(cut -d ' ' -f 1,2 "$SSH_HOST_KEY.pub")" \
            >"$state/home/.ssh/known_hosts"
        KIO_FUSE_AGENT_PID=$(ssh-agent -s -a "$state/agent.socket" |
            sed -n 's/^SSH_AGENT_PID=\([0-9]*\);.*/\1/p')
        [ -n "$KIO_FUSE_AGENT_PID" ] || return 1
        SSH_AUTH_SOCK="$state/agent.socket" ssh-add -q "$SSH_KEY" || return 1
    fi
    # The bus starts kio-fuse and the workers with its own environment.
    env HOME="$state/home" XDG_RUNTIME_DIR="$state/run" XDG_CONFIG_HOME="$state/config" \
        XDG_CACHE_HOME="$state/cache" XDG_DATA_HOME="$state/data" \
        SSH_AUTH_SOCK="$state/agent.socket" LD_PRELOAD="$NSS_WRAPPER_LIBRARY" \
        NSS_WRAPPER_PASSWD="$state/passwd" NSS_WRAPPER_GROUP="$state/group" \
        dbus-daemon --session --fork --print-address=3 --print-pid=4 \
        3>"$state/bus.address" 4>"$state/bus.pid" || return 1
    KIO_FUSE_BUS_PID=$(cat "$state/bus.pid")
    DBUS_SESSION_BUS_ADDRESS=$(cat "$state/bus.address")
    export DBUS_SESSION_BUS_ADDRESS
}

kio_fuse_path() {
    local answer
    answer=$(timeout 60 gdbus call --session --dest org.kde.KIOFuse --object-path /org/kde/KIOFuse \
        --method org.kde.KIOFuse.VFS.mountUrl "$1") || return 1
    # ('/run/.../smb/host:port/share/file',)
    answer=${answer#\(\'}
    printf '%s\n' "${answer%\',)}"
}

# Safe under errexit, and when start_kio_fuse did not get far.
stop_kio_fuse() {
    [ -n "${KIO_FUSE_STATE:-}" ] || return 0
    kill ${KIO_FUSE_BUS_PID:-} ${KIO_FUSE_AGENT_PID:-} 2>/dev/null || true
    end_session_daemons "$KIO_FUSE_STATE/run"
    KIO_FUSE_STATE= KIO_FUSE_BUS_PID= KIO_FUSE_AGENT_PID=
    return 0
}
