#pragma once
// The rename pass's fast path: the directory of the last path held open.
//
// The rename pass asks for one file after another in the same directory, three
// calls a file. So that the kernel does not walk the whole path three times a
// file, the directory of the last path is held open and the calls name the file
// relative to it (openat, fstatat, renameat2); all calls for one file then also
// act in one and the same directory, even if the path's folders are moved
// meanwhile. A bare name is named relative to the working folder, held the
// same way. A path of PATH_MAX bytes or more, a path that ends in "/", and a
// directory that cannot be held open are handled with the whole path, exactly as
// without it. One HeldDirectory serves one thread at a time.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/mount_traits.h"
#include "platform/posix/no_replace_rename.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {

// An identity for a path, where the file system makes its own up: the same
// path gives the same number; two paths to one file give two.
std::uint64_t IdentityOfPath(const std::string& path);

// Makes the rename's system calls bound to an open directory
// (KernelRenameSystemCallsIn, unless a test stands in others).
using RenameCallsMaker = std::function<RenameSystemCalls(int directory_fd)>;

class HeldDirectory {
public:
    // A file system that refused RENAME_NOREPLACE once is not asked again (see
    // AskingForNoReplaceOnce), in any of its directories, for as long as
    // `refusals` lives and it stays mounted; every HeldDirectory given the
    // same one shares that.
    // On a file system that accepts RENAME_NOREPLACE without keeping it (see
    // `mounts`), the rename reserves the new name first (ReservingTheNewName).
    HeldDirectory(NoReplaceRefusals& refusals, MountTraitsCache& mounts,
                  RenameCallsMaker make_calls)
        : refusals_(refusals), mounts_(mounts), make_calls_(std::move(make_calls)) {}

    // A path as a directory descriptor and a name in it: the held directory and
    // the last component, or AT_FDCWD and the whole path.
    struct Located {
        int directory_fd;
        const char* name;  // points into the path given to Locate
    };

    // Where the calls for the path are made from. Holds the path's directory
    // open, in place of the one held before, unless it is held already.
    Located Locate(const std::string& path);

    // The identity of the held directory; empty when none is held or it could
    // not be read. Where the file system makes identities up for each path,
    // one made from the directory's path, so that the same path gives the
    // same identity however often the file system forgets its own.
    std::optional<FileIdentity> Identity() const { return identity_; }
    // Whether the held directory's file system makes identities up.
    bool IdentitiesMadeUp() const { return identities_made_up_; }

    // The rename's system calls bound to the held directory; made once for each
    // directory held. Only while a directory is held.
    const RenameSystemCalls& RenameCalls();

    // Lets go of the directory, so that nothing stays open.
    void Release();

private:
    NoReplaceRefusals& refusals_;
    MountTraitsCache& mounts_;
    RenameCallsMaker make_calls_;
    std::string path_;  // with its final "/"
    UniqueFd fd_;
    std::optional<FileIdentity> identity_;
    bool identities_made_up_ = false;
    bool reserves_new_name_ = false;
    std::uint64_t mount_table_reading_ = 0;  // when the traits were found
    RenameSystemCalls calls_;
    int calls_for_ = -1;  // the descriptor calls_ were made for
};

}  // namespace tavrel
