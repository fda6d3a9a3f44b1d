#include "platform/posix/mount_traits.h"

#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>

namespace tavrel {
namespace {

// The type of the file system mounted from the device, as /proc/self/mountinfo
// gives it; empty when not found.
std::string MountedFileSystemType(dev_t device) {
    const std::string numbers_wanted =
        std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        // ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER
        std::istringstream fields(line);
        std::string id, parent, numbers;
        fields >> id >> parent >> numbers;
        if (numbers != numbers_wanted) continue;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos) continue;
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return {};
}

}  // namespace

MountTraits TraitsOfMountType(const std::string& type) {
    MountTraits traits;
    static const char* const kNetwork[] = {"nfs", "nfs4", "cifs", "smb3",      "smbfs",
                                           "9p",  "afs",  "ceph", "glusterfs", "lustre"};
    for (const char* network : kNetwork)
        if (type == network) traits.slow = true;
    if (type.rfind("fuse.", 0) == 0) {
        // The FUSE drivers of local disk formats answer at disk speed and are
        // not all safe with requests on several threads.
        static const char* const kLocalDrivers[] = {"fuse.fusefat", "fuse.exfat", "fuse.exfat-fuse",
                                                    "fuse.ntfs-3g", "fuse.ntfs",  "fuse.vfat"};
        traits.slow = true;
        for (const char* local : kLocalDrivers)
            if (type == local) traits.slow = false;
    }
    if (type == "fuse.gvfsd-fuse") {
        traits.keeps_no_replace = false;
        traits.stable_identities = false;
    }
    return traits;
}

MountTraits MountTraitsCache::For(dev_t device) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = traits_.find(device);
        if (found != traits_.end()) return found->second;
    }
    const MountTraits traits = TraitsOfMountType(MountedFileSystemType(device));
    const std::lock_guard<std::mutex> lock(mutex_);
    traits_.emplace(device, traits);
    return traits;
}

}  // namespace tavrel
