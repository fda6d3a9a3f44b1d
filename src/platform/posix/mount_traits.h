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
    // Device and inode name one file whatever path reaches it. That same
    // mount makes a number up for each path, and may make up another once
    // the kernel forgets it.
    bool stable_identities = true;
};

MountTraits TraitsOfMountType(const std::string& type);

// The traits of the file system mounted from each device met, read from
// /proc/self/mountinfo once a device; for any thread.
class MountTraitsCache {
public:
    MountTraits For(dev_t device);

private:
    std::mutex mutex_;
    std::map<dev_t, MountTraits> traits_;
};

}  // namespace tavrel
