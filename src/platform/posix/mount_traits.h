#pragma once
// What Tavrel relies on that a mounted file system may not keep, told by its
// mount type as /proc/self/mountinfo names it ("ext4", "nfs4", "fuse.sshfs").

#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>

namespace tavrel {

struct MountTraits {
    // Every request travels to another machine or to a server process: a
    // network share or a FUSE layer other than the local disk drivers.
    bool slow = false;
    // A rename with RENAME_NOREPLACE that the file system accepts is refused
    // whenever the target exists, in one step. The FUSE mount of the desktop's
    // share browser accepts the flag but checks the target in one request and
    // renames in the next, and its SMB backend then replaces what appeared
    // meanwhile.
    bool keeps_no_replace = true;
    // One mount holds shares of several kinds, each in a folder of its own
    // below the mount point, and what it keeps depends on the kind
    // (TraitsOfShareFolder).
    bool depends_on_share = false;
    // Device and inode name one file whatever path reaches it. That same
    // mount makes a number up for each path, and may make up another once
    // the kernel forgets it.
    bool stable_identities = true;
};

MountTraits TraitsOfMountType(const std::string& type);

// The traits of a share below such a mount, from the name of its folder
// there ("sftp:host=…,user=…", "smb-share:server=…,share=…"). An SFTP
// server refuses a rename onto an existing name by itself, in the one
// request of the rename, as its protocol asks: there the mount's no-replace
// holds. Every other kind keeps the mount's traits.
MountTraits TraitsOfShareFolder(MountTraits mount, const std::string& share_folder);

// The traits of the file system mounted from each device met, read from
// /proc/self/mountinfo once a device; for any thread.
class MountTraitsCache {
public:
    MountTraits For(dev_t device);
    // The traits for the directory open as directory_fd on that device: on a
    // mount whose traits depend on the share, those of the directory's share,
    // told from the path the kernel gives for the descriptor.
    MountTraits ForDirectory(dev_t device, int directory_fd);

private:
    struct Mount {
        MountTraits traits;
        std::string point;  // where it is mounted, as an absolute path
    };
    Mount MountOf(dev_t device);

    std::mutex mutex_;
    std::map<dev_t, Mount> mounts_;
};

}  // namespace tavrel
