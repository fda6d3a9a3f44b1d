#include "platform/posix/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

struct DirectoryStreamCloser {
    void operator()(DIR* stream) const { ::closedir(stream); }
};
// A directory stream, which owns the descriptor it was opened on.
using DirectoryStream = std::unique_ptr<DIR, DirectoryStreamCloser>;

}  // namespace

std::optional<DirectoryListing> ListDirectory(const std::string& path, LastStepLink link) {
    // O_NOFOLLOW: a folder met inside a walk that has been swapped for a link
    // since its parent was listed is refused, not entered.
    const int flags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC |
                      (link == LastStepLink::kRefuse ? O_NOFOLLOW : 0);
    UniqueFd opened(RetryOnInterrupt([&] { return ::open(path.c_str(), flags); }));
    if (!opened) return std::nullopt;
    DirectoryStream dir(::fdopendir(opened.get()));
    if (!dir) return std::nullopt;
    // The stream closes the descriptor from now on.
    const int fd = opened.Release();
    DirectoryListing listing;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        listing.device = st.st_dev;
        listing.inode = st.st_ino;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
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
    return listing;
}

}  // namespace tavrel
