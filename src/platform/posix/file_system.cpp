#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/retry.h"

namespace tavrel {
namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

int OpenForReading(const std::string& path) {
    return RetryOnInterrupt([&] { return ::open(path.c_str(), kReadFlags); });
}

void CloseQuietly(int fd) {
    // Linux releases the descriptor even when close reports EINTR, so never retry.
    ::close(fd);
}

// The directory part used to look a name up in its directory's listing.
std::string DirectoryOf(const std::string& path, std::string& name) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        name = path;
        return ".";
    }
    name = path.substr(slash + 1);
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string ErrorText(int error_number) {
    char buffer[256];
    // The GNU variant returns a pointer that may or may not be the buffer.
    return ::strerror_r(error_number, buffer, sizeof buffer);
}

PosixFileSystem::~PosixFileSystem() {
    ReleaseHeldDirectory();
}

void PosixFileSystem::ReleaseHeldDirectory() {
    if (held_fd_ >= 0) CloseQuietly(held_fd_);
    held_fd_ = -1;
    held_calls_for_ = -1;
    held_directory_.clear();
}

PosixFileSystem::Located PosixFileSystem::Locate(const std::string& path) {
    const auto slash = path.rfind('/');
    // Whole paths where a relative name would change the outcome: a path the
    // kernel refuses as too long must stay refused, and a path ending in "/"
    // names no entry of its directory.
    if (slash == std::string::npos || slash + 1 == path.size() || path.size() >= PATH_MAX)
        return {AT_FDCWD, path.c_str()};
    const std::string_view directory(path.data(), slash + 1);
    if (held_fd_ < 0 || directory != held_directory_) {
        ReleaseHeldDirectory();
        held_directory_.assign(directory);
        // O_PATH: the directory needs no read permission to be named from;
        // every call made relative to it is checked as a whole path would be.
        held_fd_ = RetryOnInterrupt(
            [&] { return ::open(held_directory_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); });
        if (held_fd_ < 0) {
            held_directory_.clear();
            return {AT_FDCWD, path.c_str()};
        }
    }
    return {held_fd_, path.c_str() + slash + 1};
}

std::optional<std::int64_t> PosixFileSystem::ReadLastWriteTime(const std::string& path) {
    const Located at = Locate(path);
    const int fd = RetryOnInterrupt([&] { return ::openat(at.directory_fd, at.name, kReadFlags); });
    if (fd < 0) return std::nullopt;
    struct stat st;
    const int rc = RetryOnInterrupt([&] { return ::fstat(fd, &st); });
    CloseQuietly(fd);
    // Linux lets a directory be opened for reading; it must fail like a missing file.
    if (rc != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool PosixFileSystem::IsDirectory(const std::string& path) {
    struct stat st;
    return RetryOnInterrupt([&] { return ::stat(path.c_str(), &st); }) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::IsExistingFile(const std::string& path) {
    struct stat st;
    return RetryOnInterrupt([&] { return ::stat(path.c_str(), &st); }) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::IsNameTaken(const std::string& path) {
    const Located at = Locate(path);
    struct stat st;
    if (RetryOnInterrupt(
            [&] { return ::fstatat(at.directory_fd, at.name, &st, AT_SYMLINK_NOFOLLOW); }) == 0) {
        if (S_ISDIR(st.st_mode)) return false;
        if (S_ISLNK(st.st_mode)) {
            struct stat target;
            if (RetryOnInterrupt([&] { return ::fstatat(at.directory_fd, at.name, &target, 0); }) ==
                    0 &&
                S_ISDIR(target.st_mode))
                return false;
        }
        return true;
    }
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == EINVAL)
        return false;
    // The name's attributes cannot be read (a directory we may list but not search,
    // for example): fall back to the directory's listing.
    std::string name;
    const auto listing = ReadDirectory(DirectoryOf(path, name), LastStepLink::kFollow);
    if (!listing) return false;
    for (const auto& entry : listing->entries)
        if (entry.name == name) return !entry.is_directory;
    return false;
}

int PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    const Located source = Locate(from);
    // Relative to the held directory only when the target is a name in it too.
    const std::size_t directory_length = source.name - from.c_str();
    if (source.directory_fd != AT_FDCWD && to.size() < PATH_MAX && to.size() > directory_length &&
        to.compare(0, directory_length, from, 0, directory_length) == 0 &&
        to.find('/', directory_length) == std::string::npos) {
        if (held_calls_for_ != held_fd_) {
            held_calls_ = KernelRenameSystemCallsIn(held_fd_);
            held_calls_for_ = held_fd_;
        }
        return RenameWithoutReplacing(source.name, to.c_str() + directory_length, held_calls_);
    }
    return RenameWithoutReplacing(from, to, KernelRenameSystemCalls());
}

std::optional<DirectoryListing> PosixFileSystem::ReadDirectory(const std::string& path,
                                                               LastStepLink link) {
    // O_NOFOLLOW: a folder met inside a walk that has been swapped for a link
    // since its parent was listed is refused, not entered.
    const int flags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC |
                      (link == LastStepLink::kRefuse ? O_NOFOLLOW : 0);
    const int fd = RetryOnInterrupt([&] { return ::open(path.c_str(), flags); });
    if (fd < 0) return std::nullopt;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        CloseQuietly(fd);
        return std::nullopt;
    }
    DirectoryListing listing;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        listing.device = st.st_dev;
        listing.inode = st.st_ino;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;  // the end, or an error: keep what was read
        DirectoryEntry item;
        item.name = entry->d_name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            // The file system does not say: ask for the entry itself, not its target.
            struct stat own;
            if (RetryOnInterrupt(
                    [&] { return ::fstatat(fd, entry->d_name, &own, AT_SYMLINK_NOFOLLOW); }) == 0)
                type = S_ISDIR(own.st_mode) ? DT_DIR : S_ISLNK(own.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_DIR) {
            item.is_directory = true;
        } else if (type == DT_LNK) {
            // Whether the link leads to a directory (the walk then leaves it out,
            // the taken-name test does not count it).
            item.is_link = true;
            struct stat target;
            item.is_directory =
                RetryOnInterrupt([&] { return ::fstatat(fd, entry->d_name, &target, 0); }) == 0 &&
                S_ISDIR(target.st_mode);
        }
        listing.entries.push_back(std::move(item));
    }
    ::closedir(dir);
    return listing;
}

int PosixFileSystem::ReadFileStart(const std::string& path, std::size_t limit,
                                   std::string& contents) {
    contents.clear();
    const int fd = OpenForReading(path);
    if (fd < 0) return errno;
    char buffer[4096];
    while (contents.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - contents.size());
        const ssize_t n = RetryOnInterrupt([&] { return ::read(fd, buffer, wanted); });
        if (n < 0) {
            const int error = errno;
            CloseQuietly(fd);
            return error;
        }
        if (n == 0) break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    CloseQuietly(fd);
    return 0;
}

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

int PosixFileSystem::ReplaceFileContents(const std::string& path, const std::string& contents) {
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
        const int probe = RetryOnInterrupt(
            [&] { return ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC); });
        if (probe < 0) return errno;
        CloseQuietly(probe);
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = RetryOnInterrupt([&] { return ::mkostemp(temporary.data(), O_CLOEXEC); });
    if (fd < 0) return errno;
    auto fail = [&](int error) {
        CloseQuietly(fd);
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
    if (::close(fd) != 0) {
        const int error = errno;
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
