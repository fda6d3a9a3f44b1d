#include "platform/no_replace_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/retry.h"

namespace tavrel {

const RenameSystemCalls& KernelRenameSystemCalls() {
    static const RenameSystemCalls calls{
        [](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt(
                [&] { return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE); }));
        },
        [](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt([&] { return ::link(from, to); }));
        },
        [](const char* path) { return ErrnoOf(RetryOnInterrupt([&] { return ::unlink(path); })); },
        [](const char* path) {
            struct stat st;
            return ErrnoOf(RetryOnInterrupt([&] { return ::lstat(path, &st); }));
        },
        [](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt([&] { return ::rename(from, to); }));
        },
    };
    return calls;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to,
                           const RenameSystemCalls& calls) {
    const int refused = calls.rename_no_replace(from.c_str(), to.c_str());
    if (refused != EINVAL && refused != ENOSYS) return refused;  // 0 included

    const int link_error = calls.link(from.c_str(), to.c_str());
    if (link_error == 0) {
        const int unlink_error = calls.unlink(from.c_str());
        if (unlink_error == 0) return 0;
        // Keep the file under its old name only, as if nothing had happened.
        calls.unlink(to.c_str());
        return unlink_error;
    }
    if (link_error != EPERM && link_error != EOPNOTSUPP) return link_error;

    const int lookup = calls.lstat(to.c_str());
    if (lookup == 0) return EEXIST;
    if (lookup != ENOENT) return lookup;
    return calls.rename(from.c_str(), to.c_str());
}

}  // namespace tavrel
