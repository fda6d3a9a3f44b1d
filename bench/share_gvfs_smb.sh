#!/usr/bin/env bash
# The file manager's FUSE mount of an SMB share: see share_gvfs.sh.
exec "$(dirname "$0")/share_gvfs.sh" smb
