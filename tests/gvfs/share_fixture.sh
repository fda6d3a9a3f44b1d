# A share of a test's or a benchmark's own, as the file manager opens it.
# Source it, then:
#
#   start_smb_server STATE_DIR SHARED_FOLDER   # sets SMB_PORT and SMBD_PID
#   kill "$SMBD_PID"                            # stops it
#   start_ssh_server STATE_DIR                  # sets SSH_PORT, SSH_KEY,
#                                               # SSH_HOST_KEY, SSHD_PID
#   kill "$SSHD_PID"                            # stops it
#   end_session_daemons RUNTIME_DIR             # after the session's bus ends
#   skip WHY                                    # ends a test as skipped (77)
#
# and the functions of kio_fuse_fixture.sh (kio-fuse in a session of its own).
#
# start_smb_server starts smbd with a configuration of its own under a
# folder, bound to 127.0.0.1 on a spare port, one guest share that may be
# written; it returns 1 (with smbd's last words on stderr) when smbd did not
# start answering.

start_smb_server() {
    local state=$1 shared=$2 _
    mkdir -p "$state"/{private,lock,state,cache,pid,ncalrpc}
    SMB_PORT=$(spare_port)
    cat >"$state/smb.conf" <<CONFIG
[global]
  server role = standalone server
  map to guest = Bad User
  interfaces = 127.0.0.1
  bind interfaces only = yes
  smb ports = $SMB_PORT
  disable netbios = yes
  private dir = $state/private
  lock directory = $state/lock
  state directory = $state/state
  cache directory = $state/cache
  pid directory = $state/pid
  ncalrpc dir = $state/ncalrpc
  log file = $state/smbd.log
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
[share]
  path = $shared
  guest ok = yes
  read only = no
  force user = $(id -un)
CONFIG
    # smbd makes a process group of its own, which it signals as it ends.
    smbd -F -s "$state/smb.conf" >"$state/smbd.out" 2>&1 &
    SMBD_PID=$!
    for _ in $(seq 200); do
        python3 -c "import socket; socket.create_connection(('127.0.0.1', $SMB_PORT), 1)" \
            2>/dev/null && return 0
        kill -0 "$SMBD_PID" 2>/dev/null || break
        sleep 0.1
    done
    tail -n 3 "$state/smbd.out" >&2
    return 1
}

# start_ssh_server starts sshd likewise, letting in the account that runs it
# with the key SSH_KEY; SFTP served by sshd itself.
start_ssh_server() {
    local state=$1 _
    mkdir -p "$state" /run/sshd
    ssh-keygen -q -t ed25519 -N '' -f "$state/host_key" </dev/null
    ssh-keygen -q -t ed25519 -N '' -f "$state/user_key" </dev/null
    cp "$state/user_key.pub" "$state/authorized_keys"
    SSH_KEY="$state/user_key"
    SSH_HOST_KEY="$state/host_key"
    SSH_PORT=$(spare_port)
    cat >"$state/sshd_config" <<CONFIG
ListenAddress 127.0.0.1
Port $SSH_PORT
HostKey $state/host_key
PidFile $state/sshd.pid
AuthorizedKeysFile $state/authorized_keys
StrictModes no
Subsystem sftp internal-sftp
CONFIG
    "$(command -v sshd || echo /usr/sbin/sshd)" -f "$state/sshd_config" -E "$state/sshd.log"
    for _ in $(seq 100); do
        [ -s "$state/sshd.pid" ] && { SSHD_PID=$(cat "$state/sshd.pid"); return 0; }
        sleep 0.05
    done
    tail -n 3 "$state/sshd.log" >&2
    return 1
}

# The share browser's daemons (and kio-fuse's) are started by the session's bus
# and may outlive it: ends every process started with that XDG_RUNTIME_DIR,
# and lets go of their FUSE mounts. Safe under errexit: a daemon gone already is no failure.
end_session_daemons() {
    local runtime=$1 environ
    for environ in /proc/[0-9]*/environ; do
        grep -qz "^XDG_RUNTIME_DIR=$runtime\$" "$environ" 2>/dev/null || continue
        environ=${environ#/proc/}
        [ "${environ%/environ}" = "$$" ] || kill "${environ%/environ}" 2>/dev/null || true
    done
    local mount
    for mount in "$runtime/gvfs" "$runtime"/kio-fuse-*; do
        fusermount3 -u -z "$mount" 2>/dev/null || true
    done
    return 0
}

# A TCP port on 127.0.0.1 that nothing listens on just now.
spare_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

skip() { echo "SKIP: $*"; exit 77; }

source "$(dirname "${BASH_SOURCE[0]}")/kio_fuse_fixture.sh"
