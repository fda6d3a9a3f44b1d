#!/usr/bin/env bash
# share_gvfs.sh on an SMB share.
exec "$(dirname "$0")/share_gvfs.sh" smb
