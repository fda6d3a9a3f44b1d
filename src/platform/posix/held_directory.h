#pragma once
// The rename pass's fast path: the directory of the last path held open.
//
// The rename pass asks for one file after another in the same directory, three
// calls a file. So that the kernel does not walk the whole path three times a
// file, the directory of the last path is held open and the calls name the file
// relative to it (openat, fstatat, renameat2); all calls for one file then also
// act in one and the same directory, even if the path's folders are moved
// meanwhile. A path of PATH_MAX bytes or more, a path that ends in "/", and a
// directory that cannot be held open are handled with the whole path, exactly as
// without it.

#include <sys/types.h>

#include <map>
#include <string>

#include "platform/posix/no_replace_rename.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {

class HeldDirectory {
public:
    // A path as a directory descriptor and a name in it: the held directory and
    // the last component, or AT_FDCWD and the whole path.
    struct Located {
        int directory_fd;
        const char* name;  // points into the path given to Locate
    };

    // Where the calls for the path are made from. Holds the path's directory
    // open, in place of the one held before, unless it is held already.
    Located Locate(const std::string& path);

    // The rename's system calls bound to the held directory; made once for each
    // directory held. Only while a directory is held. A file system that
    // refused RENAME_NOREPLACE once is not asked again (see
    // AskingForNoReplaceOnce), in any of its directories, for as long as this
    // object lives.
    const RenameSystemCalls& RenameCalls();

    // Lets go of the directory, so that nothing stays open.
    void Release();

private:
    std::string path_;  // with its final "/"
    UniqueFd fd_;
    RenameSystemCalls calls_;
    int calls_for_ = -1;  // the descriptor calls_ were made for
    // For each file system (device) met: whether it refused RENAME_NOREPLACE.
    std::map<dev_t, bool> refuses_no_replace_;
};

}  // namespace tavrel
