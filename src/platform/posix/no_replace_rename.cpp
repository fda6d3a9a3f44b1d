#include "platform/posix/no_replace_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/retry.h"

namespace tavrel {

RenameSystemCalls KernelRenameSystemCallsIn(int directory_fd) {
    const int dir = directory_fd;
    return RenameSystemCalls{
        [dir](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt(
                [&] { return ::renameat2(dir, from, dir, to, RENAME_NOREPLACE); }));
        },
        [dir](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt([&] { return ::linkat(dir, from, dir, to, 0); }));
        },
        [dir](const char* path) {
            return ErrnoOf(RetryOnInterrupt([&] { return ::unlinkat(dir, path, 0); }));
        },
        [dir](const char* path) {
            struct stat st;
            return ErrnoOf(
                RetryOnInterrupt([&] { return ::fstatat(dir, path, &st, AT_SYMLINK_NOFOLLOW); }));
        },
        [dir](const char* from, const char* to) {
            return ErrnoOf(RetryOnInterrupt([&] { return ::renameat(dir, from, dir, to); }));
        },
        [dir](const char* path) {
            const int fd = RetryOnInterrupt([&] {
                return ::openat(dir, path, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                                0600);
            });
            if (fd < 0) return errno;
            ::close(fd);
            return 0;
        },
        [dir](const char* path) {
            struct stat st;
            if (RetryOnInterrupt([&] { return ::fstatat(dir, path, &st, AT_SYMLINK_NOFOLLOW); }) !=
                0)
                return errno;
            return S_ISREG(st.st_mode) && st.st_size == 0 ? 0 : ENOTEMPTY;
        },
    };
}

const RenameSystemCalls& KernelRenameSystemCalls() {
    static const RenameSystemCalls calls = KernelRenameSystemCallsIn(AT_FDCWD);
    return calls;
}

RenameSystemCalls AskingForNoReplaceOnce(RenameSystemCalls calls, std::atomic<bool>& refused) {
    calls.rename_no_replace = [ask = std::move(calls.rename_no_replace), &refused](const char* from,
                                                                                   const char* to) {
        if (refused.load(std::memory_order_relaxed)) return EINVAL;
        const int result = ask(from, to);
        if (result == EINVAL || result == ENOSYS) refused.store(true, std::memory_order_relaxed);
        return result;
    };
    return calls;
}

RenameSystemCalls ReservingTheNewName(RenameSystemCalls calls) {
    calls.rename_no_replace = [calls](const char* from, const char* to) {
        const int reserved = calls.create_exclusive(to);
        if (reserved != 0) return reserved;
        const int renamed = calls.rename(from, to);
        // The file is gone (renamed or removed meanwhile): the new name still
        // holds the reservation, which nobody else could replace, so it goes
        // again. Any other failure may come from the layer's own rename, which
        // removes the target before it renames: what holds the name now may be
        // another program's, and the attributes the layer caches cannot tell,
        // so it stays.
        if (renamed == ENOENT && calls.empty_file(to) == 0) calls.unlink(to);
        return renamed;
    };
    return calls;
}

int RenameWithoutReplacing(const char* from, const char* to, const RenameSystemCalls& calls) {
    const int refused = calls.rename_no_replace(from, to);
    if (refused != EINVAL && refused != ENOSYS) return refused;  // 0 included

    const int link_error = calls.link(from, to);
    if (link_error == 0) {
        const int unlink_error = calls.unlink(from);
        if (unlink_error == 0) return 0;
        // Keep the file under its old name only, as if nothing had happened.
        calls.unlink(to);
        return unlink_error;
    }
    if (link_error != EPERM && link_error != EOPNOTSUPP) return link_error;

    const int lookup = calls.lstat(to);
    if (lookup == 0) return EEXIST;
    if (lookup != ENOENT) return lookup;
    return calls.rename(from, to);
}

}  // namespace tavrel
