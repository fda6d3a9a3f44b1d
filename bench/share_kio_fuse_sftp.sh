#!/usr/bin/env bash
# share_kio_fuse.sh on an SFTP share.
exec "$(dirname "$0")/share_kio_fuse.sh" sftp
