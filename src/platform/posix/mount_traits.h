#pragma once
// What Tavrel relies on that a mounted file system may not keep, told by its
// mount type as /proc/self/mountinfo names it ("ext4", "nfs4", "fuse.sshfs"),
// and the mounts of the running system as they are now.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct MountTraits {
    // Every request travels to another machine or to a server process: a
    // network share or a FUSE layer other than the local disk drivers.
    bool slow = false;
    // A rename with RENAME_NOREPLACE that the file system accepts is refused
    // whenever the target exists, in one step. Where this is false, the
    // rename reserves the new name with a placeholder first
    // (ReservingTheNewName) where that holds. The FUSE mount of the desktop's share browser
    // accepts the flag but checks the target in one request and renames in
    // the next, and its SMB backend then replaces what appeared meanwhile.
    bool keeps_no_replace = true;
    // An exclusive create (O_CREAT | O_EXCL) is one step on the server, so
    // that a placeholder holds the name. kio-fuse creates a file by asking
    // the server whether the name is free and writing it in further
    // requests, replacing what took the name meanwhile: there a placeholder
    // only widens the gap that its rename leaves.
    bool creates_exclusively = true;
    // Whether the rename reserves the new name with a placeholder first.
    bool ReservesNewName() const { return !keeps_no_replace && creates_exclusively; }
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

// The traits of a share below a mount of that type whose traits depend on
// the share, from the name of its folder there: "sftp:host=…,user=…" or
// "smb-share:server=…,share=…" below gvfsd-fuse, "sftp" or "smb" below
// kio-fuse. An SFTP server refuses a rename onto an existing name by itself,
// in the one request of the rename, as its protocol asks: there the mount's
// no-replace holds. Every other kind keeps the mount's traits.
MountTraits TraitsOfShareFolder(const std::string& mount_type, const std::string& share_folder);

// One mount, as a line of /proc/self/mountinfo gives it.
struct MountEntry {
    // The kernel's mount ID: unique among the mounts present, and given to a
    // new mount once this one is gone, as the device numbers of FUSE and
    // other mounts without a disk are.
    std::uint64_t id = 0;
    dev_t device = 0;
    std::string point;   // where it is mounted, an absolute path
    std::string type;    // "ext4", "fuse.sshfs"
    MountTraits traits;  // of its type
};

// The mounts of a text in the form of /proc/self/mountinfo, in its order:
// "ID PARENT MAJOR:MINOR ROOT POINT OPTIONS [OPTIONAL...] - TYPE SOURCE
// SUPER", the paths with blanks, tabs, newlines and backslashes written as
// a backslash and three octal digits. Lines not of that form are left out.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Where the mounts are read from: the kernel's table, or a test's.
class MountTable {
public:
    virtual ~MountTable() = default;
    // The table as it is now, in the form of /proc/self/mountinfo.
    virtual std::string Read() = 0;
    // Whether mounts may have come or gone since the table was made or this
    // was last asked.
    virtual bool ChangedSinceAsked() = 0;
};

// /proc/self/mountinfo of the running process. The file is held open: the
// kernel marks it at every mount and unmount in the process's namespace, and
// a poll of it with no wait tells that in one system call.
std::unique_ptr<MountTable> KernelMountTable();

// The traits of the mounts that files and directories lie on, as the mounts
// are now: the table is read again whenever it has changed, so that a mount
// given the device number (and mount ID) of one that is gone is never taken
// for it. For any thread.
class MountTraitsCache {
public:
    explicit MountTraitsCache(std::unique_ptr<MountTable> table = KernelMountTable());

    // The traits of the mount an open file or directory lies on, found by
    // its mount ID (statx, Linux 5.8 and later) or else by its device.
    MountTraits ForDescriptor(int fd);
    // The same for a path (links followed).
    MountTraits ForPath(const std::string& path);
    // By device alone, where no file is at hand: the first mount of it.
    MountTraits ForDevice(dev_t device);
    // The traits for a directory open as directory_fd: on a mount whose
    // traits depend on the share, those of the directory's share, told from
    // the path the kernel gives for the descriptor.
    MountTraits ForDirectory(int directory_fd);

    // How often the table was read: the same number for as long as no mount
    // came or went in between.
    std::uint64_t Readings();

private:
    // The mount of that device and, where given, that mount ID; the point
    // is empty and the traits are a local disk's where none is found.
    MountEntry Find(dev_t device, std::optional<std::uint64_t> id);
    MountEntry FindAt(int directory_fd, const char* path, int flags);

    std::mutex mutex_;
    std::unique_ptr<MountTable> table_;
    std::vector<MountEntry> mounts_;
    std::uint64_t readings_ = 0;
};

}  // namespace tavrel
