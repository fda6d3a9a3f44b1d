#!/usr/bin/env bash
# 5,000 files on sshfs, through an sshd of the run's own on loopback (with
# SSH_DELAY_US, behind a relay that delays each direction by that much), in 10
# folders of 500 and in one folder of 5,000: Tavrel against the floor and
# perl's rename. Target: Tavrel faster than perl's rename in 10 folders of 500.
# One folder of 5,000 is shown beside it; bench/README.md says why sshfs is slower
# there.
source "$(dirname "$0")/share_lib.sh"
LABEL="rename $COUNT files on sshfs${SSH_DELAY_US:+ with ${SSH_DELAY_US} µs each way}"
if ! command -v sshfs >/dev/null || [ ! -w /dev/fuse ]; then
    result "$LABEL" "(no sshfs or no /dev/fuse here)" "" "" "< perl rename (10 folders)" FAIL
    exit 1
fi
start_sshd
mount_share() { mount_sshfs; }
unmount_share() { unmount_sshfs; }
measure_share
share_result "$LABEL" "" ""
