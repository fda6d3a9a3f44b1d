#!/usr/bin/env bash
# share_kio_fuse.sh on an SMB share.
exec "$(dirname "$0")/share_kio_fuse.sh" smb
