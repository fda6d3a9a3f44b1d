#include "platform/posix/mount_traits.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>

namespace tavrel {
namespace {

// A path as /proc/self/mountinfo writes it: blanks, tabs, newlines and
// backslashes as three octal digits after a backslash.
std::string UnescapedMountPath(const std::string& field) {
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) &&
            octal(field[i + 2]) && octal(field[i + 3])) {
            path += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

struct MountedFileSystem {
    std::string type;
    std::string point;
};

// The type and mount point of the file system mounted from the device, as
// /proc/self/mountinfo gives them; empty when not found.
MountedFileSystem MountedFileSystemOf(dev_t device) {
    const std::string numbers_wanted =
        std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        // ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        fields >> id >> parent >> numbers >> root >> point;
        if (numbers != numbers_wanted) continue;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos) continue;
        std::istringstream rest(line.substr(dash + 3));
        MountedFileSystem mounted;
        rest >> mounted.type;
        mounted.point = UnescapedMountPath(point);
        return mounted;
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
        traits.depends_on_share = true;
    }
    return traits;
}

MountTraits TraitsOfShareFolder(MountTraits mount, const std::string& share_folder) {
    if (share_folder.rfind("sftp:", 0) == 0) mount.keeps_no_replace = true;
    return mount;
}

MountTraitsCache::Mount MountTraitsCache::MountOf(dev_t device) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto found = mounts_.find(device);
        if (found != mounts_.end()) return found->second;
    }
    const MountedFileSystem mounted = MountedFileSystemOf(device);
    const Mount mount{TraitsOfMountType(mounted.type), mounted.point};
    const std::lock_guard<std::mutex> lock(mutex_);
    mounts_.emplace(device, mount);
    return mount;
}

MountTraits MountTraitsCache::For(dev_t device) {
    return MountOf(device).traits;
}

MountTraits MountTraitsCache::ForDirectory(dev_t device, int directory_fd) {
    const Mount mount = MountOf(device);
    if (!mount.traits.depends_on_share || mount.point.empty()) return mount.traits;
    // The kernel names the directory from its own records: no request
    // reaches the file system.
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(directory_fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return mount.traits;
    const std::string directory(path, static_cast<std::size_t>(length));
    const std::string below = mount.point == "/" ? "/" : mount.point + "/";
    if (directory.compare(0, below.size(), below) != 0) return mount.traits;
    // The share's folder ends at the next slash, or with the path (npos less
    // anything still counts to its end).
    const auto folder_end = directory.find('/', below.size());
    return TraitsOfShareFolder(mount.traits,
                               directory.substr(below.size(), folder_end - below.size()));
}

}  // namespace tavrel
