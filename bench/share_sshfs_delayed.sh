#!/usr/bin/env bash
# share_sshfs.sh with 0.5 ms added in each direction between sshfs and sshd.
SSH_DELAY_US=500 exec "$(dirname "$0")/share_sshfs.sh"
