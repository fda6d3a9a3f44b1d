#include "platform/posix/atomic_replace.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {

mode_t CurrentUmask() {
    // The kernel reports the mask; reading it with umask() would mean setting
    // it for a moment, which other threads (the window's) could feel.
    std::string status;
    if (PosixFileSystem().ReadFileStart("/proc/self/status", 1 << 16, status) == 0) {
        const auto at = status.find("\nUmask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8));
    }
    return 022;
}

int FinalLinkTarget(const std::string& path, std::string& target) {
    target = path;
    for (int links = 0;; ++links) {
        struct stat st;
        if (RetryOnInterrupt([&] { return ::lstat(target.c_str(), &st); }) != 0 ||
            !S_ISLNK(st.st_mode))
            return 0;  // not a link (or nothing yet): writing lands here
        if (links == 40) return ELOOP;
        std::string text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        for (;;) {
            const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
            if (n < 0) return errno;
            if (static_cast<std::size_t>(n) < text.size()) {
                text.resize(static_cast<std::size_t>(n));
                break;
            }
            text.resize(text.size() * 2);  // the link grew meanwhile
        }
        if (text.empty()) return ENOENT;
        const auto slash = target.rfind('/');
        if (text.front() == '/' || slash == std::string::npos)
            target = std::move(text);
        else
            target = target.substr(0, slash + 1) + text;
    }
}

int ReplaceFileAtomically(const std::string& path, const std::string& contents) {
    // A link keeps being the link: the file it leads to gets the text, and the
    // temporary file goes beside that file, so the final rename stays within
    // one directory and one file system.
    std::string target;
    if (const int error = FinalLinkTarget(path, target)) return error;
    struct stat old;
    const bool exists = RetryOnInterrupt([&] { return ::stat(target.c_str(), &old); }) == 0;
    // A device, pipe or socket (a link to /dev/zero, say) is never replaced by
    // a file: the temporary file would go beside it, into /dev.
    if (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode)) return EPERM;
    if (exists && S_ISREG(old.st_mode)) {
        // A file the user may not write is not replaced behind their back, even
        // where its folder would allow that. Opening it for writing, without
        // truncating, asks exactly that and changes nothing.
        const UniqueFd probe(RetryOnInterrupt(
            [&] { return ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC); }));
        if (!probe) return errno;
    }
    std::string temporary = target + ".XXXXXX";
    UniqueFd file(RetryOnInterrupt([&] { return ::mkostemp(temporary.data(), O_CLOEXEC); }));
    if (!file) return errno;
    const int fd = file.get();
    auto fail = [&](int error) {
        file.Reset();
        ::unlink(temporary.c_str());
        return error;
    };
    // mkostemp creates the file private to its owner: give it the old file's
    // mode, or the usual one for a new file.
    const mode_t mode =
        exists && !S_ISDIR(old.st_mode) ? old.st_mode & 07777 : 0666 & ~CurrentUmask();
    if (exists && !S_ISDIR(old.st_mode)) {
        // Keeps the owner where this process may (root, or the owner itself
        // keeping a group it belongs to); otherwise the file becomes this
        // user's, as any editor's save would make it.
        if (RetryOnInterrupt([&] { return ::fchown(fd, old.st_uid, old.st_gid); }) != 0)
            RetryOnInterrupt([&] { return ::fchown(fd, static_cast<uid_t>(-1), old.st_gid); });
    }
    if (RetryOnInterrupt([&] { return ::fchmod(fd, mode); }) != 0) return fail(errno);
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = RetryOnInterrupt(
            [&] { return ::write(fd, contents.data() + written, contents.size() - written); });
        if (n < 0) return fail(errno);
        written += static_cast<std::size_t>(n);
    }
    if (RetryOnInterrupt([&] { return ::fsync(fd); }) != 0) return fail(errno);
    if (const int error = file.Close()) {
        ::unlink(temporary.c_str());
        return error;
    }
    if (RetryOnInterrupt([&] { return ::rename(temporary.c_str(), target.c_str()); }) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    return 0;
}

}  // namespace tavrel
