#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/name_listing.h"
#include "platform/posix/atomic_replace.h"
#include "platform/posix/directory_listing.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// A regular file's bytes through pread, which keeps no file position.
class DescriptorBytes : public OpenFileBytes {
public:
    DescriptorBytes(int fd, std::uint64_t size) : fd_(fd), size_(size) {}

    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        std::size_t copied = 0;
        // A short read before the end (a signal, a network file system) is
        // followed by another from where it stopped.
        while (copied < size && offset + copied < size_) {
            const ssize_t n = RetryOnInterrupt([&] {
                return ::pread(fd_, into + copied, size - copied,
                               static_cast<off_t>(offset + copied));
            });
            if (n <= 0) return copied;
            copied += static_cast<std::size_t>(n);
        }
        return copied;
    }
    std::uint64_t Size() const override { return size_; }

private:
    int fd_;
    std::uint64_t size_;
};

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
    const std::lock_guard<std::mutex> lock(held_mutex_);
    held_.clear();
}

HeldDirectory& PosixFileSystem::Held() {
    const std::lock_guard<std::mutex> lock(held_mutex_);
    auto& held = held_[std::this_thread::get_id()];
    if (!held) held = std::make_unique<HeldDirectory>(refusals_, mounts_, make_calls_);
    return *held;
}

std::optional<TimeReading> PosixFileSystem::ReadTimeAndIdentity(const std::string& path) {
    return ReadOpened(path, nullptr);
}

std::optional<TimeReading> PosixFileSystem::ReadTimeAndBytes(
    const std::string& path, const std::function<void(OpenFileBytes&)>& read) {
    return ReadOpened(path, &read);
}

std::optional<TimeReading> PosixFileSystem::ReadOpened(
    const std::string& path, const std::function<void(OpenFileBytes&)>* read) {
    HeldDirectory& held = Held();
    const HeldDirectory::Located at = held.Locate(path);
    const UniqueFd file(
        RetryOnInterrupt([&] { return ::openat(at.directory_fd, at.name, kReadFlags); }));
    if (!file) return std::nullopt;
    struct stat st;
    if (RetryOnInterrupt([&] { return ::fstat(file.get(), &st); }) != 0) return std::nullopt;
    // Linux lets a directory be opened for reading; it must fail like a missing file.
    if (S_ISDIR(st.st_mode)) return std::nullopt;
    TimeReading reading;
    reading.last_write = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    const bool made_up = at.directory_fd != AT_FDCWD
                             ? held.IdentitiesMadeUp()
                             : !mounts_.ForDescriptor(file.get()).stable_identities;
    reading.file =
        FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                     made_up ? IdentityOfPath(path) : static_cast<std::uint64_t>(st.st_ino)};
    if (at.directory_fd != AT_FDCWD) reading.folder = held.Identity();
    if (read && *read && S_ISREG(st.st_mode)) {
        DescriptorBytes bytes(file.get(), static_cast<std::uint64_t>(st.st_size));
        (*read)(bytes);
    }
    return reading;
}

std::optional<std::int64_t> PosixFileSystem::ReadLastWriteTime(const std::string& path) {
    const auto reading = PosixFileSystem::ReadTimeAndIdentity(path);
    if (!reading) return std::nullopt;
    return reading->last_write;
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
    const HeldDirectory::Located at = Held().Locate(path);
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
    return IsNameTakenInListing(*this, path);
}

int PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    HeldDirectory& held = Held();
    const HeldDirectory::Located source = held.Locate(from);
    // Relative to the held directory only when the target is a name in it too.
    const std::size_t directory_length = source.name - from.c_str();
    if (source.directory_fd != AT_FDCWD && to.size() < PATH_MAX && to.size() > directory_length &&
        to.compare(0, directory_length, from, 0, directory_length) == 0 &&
        to.find('/', directory_length) == std::string::npos)
        return RenameWithoutReplacing(source.name, to.c_str() + directory_length,
                                      held.RenameCalls());
    if (ReservesNewName(to))
        return RenameWithoutReplacing(from, to, ReservingTheNewName(KernelRenameSystemCalls()));
    return RenameWithoutReplacing(from, to, KernelRenameSystemCalls());
}

bool PosixFileSystem::ReservesNewName(const std::string& path) {
    const auto in_directory = [this](const char* directory) {
        const UniqueFd held(
            RetryOnInterrupt([&] { return ::open(directory, O_PATH | O_DIRECTORY | O_CLOEXEC); }));
        if (!held) return false;
        return mounts_.ForDirectory(held.get()).ReservesNewName();
    };
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) return in_directory(path.substr(0, slash + 1).c_str());
    // A bare name lies in the working folder, which Tavrel never changes:
    // asked once, not for every file.
    std::call_once(working_folder_asked_,
                   [&] { working_folder_reserves_new_name_ = in_directory("."); });
    return working_folder_reserves_new_name_;
}

RenameOutcome PosixFileSystem::RenameUnlessTaken(const std::string& from, const std::string& to) {
    const int refused = RenameNoReplace(from, to);
    if (refused == 0) return RenameOutcome::kRenamed;
    // A FUSE layer that checks the name in one request and renames in the
    // next tells a name taken on the server in between as the server's
    // rename failing (EIO from kio-fuse over SFTP): a refusal while the name
    // is taken is a taken name. A directory (or a link to one) of that name
    // refuses the rename as well, but it is no taken name: the file keeps its
    // name.
    if (IsNameTaken(to)) return RenameOutcome::kTaken;
    if (refused != EEXIST) return RenameOutcome::kRefused;
    // The rename met the name on the server, where the layer answers the
    // lookup from a listing it read before: the name is taken all the same.
    struct stat st;
    const bool shows_nothing =
        RetryOnInterrupt([&] { return ::lstat(to.c_str(), &st); }) != 0 && errno == ENOENT;
    return shows_nothing ? RenameOutcome::kTaken : RenameOutcome::kRefused;
}

bool PosixFileSystem::IsSlowAndThreadSafe(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    return mounts_.ForPath(directory).slow;
}

std::optional<DirectoryListing> PosixFileSystem::ReadDirectory(const std::string& path,
                                                               LastStepLink link) {
    auto listing = ListDirectory(path, link);
    if (listing)
        listing->identities_made_up =
            !mounts_.ForDevice(static_cast<dev_t>(listing->device)).stable_identities;
    return listing;
}

int PosixFileSystem::ReadFileStart(const std::string& path, std::size_t limit,
                                   std::string& contents) {
    contents.clear();
    const UniqueFd file(RetryOnInterrupt([&] { return ::open(path.c_str(), kReadFlags); }));
    if (!file) return errno;
    char buffer[4096];
    while (contents.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - contents.size());
        const ssize_t n = RetryOnInterrupt([&] { return ::read(file.get(), buffer, wanted); });
        if (n < 0) return errno;
        if (n == 0) break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    return 0;
}

int PosixFileSystem::ReplaceFileContents(const std::string& path, const std::string& contents) {
    return ReplaceFileAtomically(path, contents);
}

int PosixFileSystem::CreateFolders(const std::string& path) { return MakeFolderPath(path); }

int MakeFolderPath(const std::string& path) {
    // From the top down: each step's parent exists by the time it is made.
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!folder.empty() && folder.back() != '/' && ::mkdir(folder.c_str(), 0700) != 0 &&
            errno != EEXIST)
            return errno;
        if (end == std::string::npos) return 0;
    }
}

}  // namespace tavrel
