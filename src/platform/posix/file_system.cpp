#include <dirent.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const auto listing = ReadDirectory(DirectoryOf(path, name));
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

std::optional<DirectoryListing> PosixFileSystem::ReadDirectory(const std::string& path) {
    const int fd = RetryOnInterrupt(
        [&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC); });
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
        if (entry->d_type == DT_DIR) {
            item.is_directory = true;
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Links are followed: a link to a directory is walked like one.
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

int PosixFileSystem::ReadWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    const int fd = OpenForReading(path);
    if (fd < 0) return errno;
    char buffer[4096];
    for (;;) {
        const ssize_t n = RetryOnInterrupt([&] { return ::read(fd, buffer, sizeof buffer); });
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
    if (PosixFileSystem().ReadWholeFile("/proc/self/status", status) == 0) {
        const auto at = status.find("\nUmask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8));
    }
    return 022;
}

int PosixFileSystem::ReplaceFileContents(const std::string& path, const std::string& contents) {
    std::string temporary = path + ".XXXXXX";
    const int fd = RetryOnInterrupt([&] { return ::mkostemp(temporary.data(), O_CLOEXEC); });
    if (fd < 0) return errno;
    auto fail = [&](int error) {
        CloseQuietly(fd);
        ::unlink(temporary.c_str());
        return error;
    };
    // mkostemp creates the file private to its owner; give it the usual mode.
    if (::fchmod(fd, 0666 & ~CurrentUmask()) != 0) return fail(errno);
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
    if (RetryOnInterrupt([&] { return ::rename(temporary.c_str(), path.c_str()); }) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    return 0;
}

}  // namespace tavrel
