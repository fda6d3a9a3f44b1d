#include "platform/posix/held_directory.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <string_view>

#include "platform/posix/retry.h"

namespace tavrel {

std::uint64_t IdentityOfPath(const std::string& path) {
    return std::hash<std::string>{}(path);
}

HeldDirectory::Located HeldDirectory::Locate(const std::string& path) {
    const auto slash = path.rfind('/');
    // Whole paths where a relative name would change the outcome: a path the
    // kernel refuses as too long must stay refused, and a path ending in "/"
    // names no entry of its directory.
    if ((slash != std::string::npos && slash + 1 == path.size()) || path.size() >= PATH_MAX)
        return {AT_FDCWD, path.c_str()};
    // A bare name lies in the working folder, held like any other ("").
    const std::size_t name_at = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view directory(path.data(), name_at);
    if (!fd_ || directory != path_) {
        Release();
        path_.assign(directory);
        // O_PATH: the directory needs no read permission to be named from;
        // every call made relative to it is checked as a whole path would be.
        const char* const open_as = path_.empty() ? "." : path_.c_str();
        fd_ = UniqueFd(
            RetryOnInterrupt([&] { return ::open(open_as, O_PATH | O_DIRECTORY | O_CLOEXEC); }));
        if (!fd_) {
            path_.clear();
            return {AT_FDCWD, path.c_str()};
        }
        struct stat st;
        if (RetryOnInterrupt([&] { return ::fstat(fd_.get(), &st); }) == 0) {
            const MountTraits traits = mounts_.ForDirectory(fd_.get());
            mount_table_reading_ = mounts_.Readings();
            identities_made_up_ = !traits.stable_identities;
            reserves_new_name_ = traits.ReservesNewName();
            identity_ = FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                     identities_made_up_ ? IdentityOfPath(path_)
                                                         : static_cast<std::uint64_t>(st.st_ino)};
        }
    }
    return {fd_.get(), path.c_str() + name_at};
}

const RenameSystemCalls& HeldDirectory::RenameCalls() {
    if (calls_for_ != fd_.get()) {
        calls_ = make_calls_(fd_.get());
        // A file system that does not keep no-replace gets each new name
        // reserved first. On others, a refusal of RENAME_NOREPLACE is
        // remembered for the directory's file system when that is known; a
        // directory whose file system cannot be told asks again for each file.
        if (reserves_new_name_)
            calls_ = ReservingTheNewName(std::move(calls_));
        else if (identity_)
            calls_ = AskingForNoReplaceOnce(
                std::move(calls_),
                refusals_.For(static_cast<dev_t>(identity_->device), mount_table_reading_));
        calls_for_ = fd_.get();
    }
    return calls_;
}

void HeldDirectory::Release() {
    fd_.Reset();
    identity_.reset();
    identities_made_up_ = false;
    reserves_new_name_ = false;
    calls_for_ = -1;
    path_.clear();
}

}  // namespace tavrel
