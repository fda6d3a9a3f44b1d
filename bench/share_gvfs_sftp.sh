#!/usr/bin/env bash
# share_gvfs.sh on an SFTP share.
exec "$(dirname "$0")/share_gvfs.sh" sftp
