#pragma once
// The rename that never replaces an existing entry, on every kind of file system.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace tavrel {

// The system calls the rename is built from. Each returns 0, or the errno value
// of its failure (already retried on EINTR).
struct RenameSystemCalls {
    std::function<int(const char* from, const char* to)> rename_no_replace;  // renameat2
    std::function<int(const char* from, const char* to)> link;
    std::function<int(const char* path)> unlink;
    std::function<int(const char* path)> lstat;
    std::function<int(const char* from, const char* to)> rename;  // plain, may replace
    // Creates an empty file, refused with EEXIST when the name exists
    // (O_CREAT | O_EXCL, one atomic step on the server of a share).
    std::function<int(const char* path)> create_exclusive;
    // 0 when the path is an empty regular file, otherwise an errno value
    // (ENOTEMPTY for a file that holds anything).
    std::function<int(const char* path)> empty_file;
};

// The calls of the running kernel, with paths relative to the working directory.
const RenameSystemCalls& KernelRenameSystemCalls();
// The same calls with names relative to an open directory (both names of a
// rename in that one directory).
RenameSystemCalls KernelRenameSystemCallsIn(int directory_fd);

// The calls, with RENAME_NOREPLACE asked for until the file system first
// refuses it (EINVAL, ENOSYS): `refused` is then set, and every later rename
// made through these calls, or through others given the same flag, goes
// straight to the fallback instead of asking again for each file. The flag
// belongs to one file system; calls on several threads may share it.
RenameSystemCalls AskingForNoReplaceOnce(RenameSystemCalls calls, std::atomic<bool>& refused);

// The calls, with the rename that must not replace made by reserving the new
// name first, for a file system that accepts RENAME_NOREPLACE without keeping
// it: an empty file is created under the new name exclusively, so that nobody
// else can take the name meanwhile, and the file is renamed onto it with a
// plain rename. A name taken already refuses the reservation with EEXIST. When
// the file to rename is gone, the reservation goes again. What remains open is
// the file system's own rename onto the reservation: a layer that replaces by
// removing the target first leaves the name free for that one step, and a
// rename that then fails leaves what holds the name in place (an empty
// reservation, or another program's file).
RenameSystemCalls ReservingTheNewName(RenameSystemCalls calls);

// For each file system met, whether it refused RENAME_NOREPLACE: the flags
// that AskingForNoReplaceOnce sets, one a device and reading of the mount
// table (MountTraitsCache::Readings), for any thread. A device number is
// given to another mount once its own is gone: a file system mounted after
// the table was read again is asked afresh.
class NoReplaceRefusals {
public:
    std::atomic<bool>& For(dev_t device, std::uint64_t mount_table_reading) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return refused_[{device, mount_table_reading}];  // map nodes stay where they are
    }

private:
    std::mutex mutex_;
    std::map<std::pair<dev_t, std::uint64_t>, std::atomic<bool>> refused_;
};

// Renames from -> to without replacing anything. Returns 0 or the errno value of
// the refusal (EEXIST when the target exists). Tries, in order:
//  1. renameat2 with RENAME_NOREPLACE;
//  2. where the file system does not know that flag (EINVAL, e.g. NFS or FUSE):
//     link + unlink, removing the new link again if the old name cannot go;
//  3. where hard links are refused too (EPERM, EOPNOTSUPP; FAT over FUSE): an
//     lstat of the target right before a plain rename. Another program could
//     create the target between those two calls: this last step alone has
//     such a window.
int RenameWithoutReplacing(const char* from, const char* to, const RenameSystemCalls& calls);
inline int RenameWithoutReplacing(const std::string& from, const std::string& to,
                                  const RenameSystemCalls& calls) {
    return RenameWithoutReplacing(from.c_str(), to.c_str(), calls);
}

}  // namespace tavrel
