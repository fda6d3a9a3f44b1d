#pragma once
// The file system of Linux, through POSIX calls; every system call it makes is
// wrapped once and retried on EINTR.

#include <sys/types.h>

#include "platform/file_system.h"
#include "platform/posix/no_replace_rename.h"

namespace tavrel {

// The real file system of the running machine. Tests derive from it to make
// single operations fail.
//
// The rename pass asks for one file after another in the same directory, three
// calls a file. So that the kernel does not walk the whole path three times a
// file, the directory of the last path is held open and the calls name the file
// relative to it (openat, fstatat, renameat2); all calls for one file then also
// act in one and the same directory, even if the path's folders are moved
// meanwhile. A path of PATH_MAX bytes or more, a path that ends in "/", and a
// directory that cannot be held open are handled with the whole path, exactly as
// before.
class PosixFileSystem : public FileSystem {
public:
    PosixFileSystem() = default;
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    bool IsNameTaken(const std::string& path) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    std::optional<DirectoryListing> ReadDirectory(const std::string& path) override;
    bool IsExistingFile(const std::string& path) override;
    int ReadWholeFile(const std::string& path, std::string& contents) override;
    int ReplaceFileContents(const std::string& path, const std::string& contents) override;
    void ReleaseHeldDirectory() override;

private:
    // A path as a directory descriptor and a name in it: the held directory and
    // the last component, or AT_FDCWD and the whole path.
    struct Located {
        int directory_fd;
        const char* name;
    };
    Located Locate(const std::string& path);

    std::string held_directory_;  // with its final "/"
    int held_fd_ = -1;
    // The rename's system calls bound to the held directory, and the descriptor
    // they were made for.
    RenameSystemCalls held_calls_;
    int held_calls_for_ = -1;
};

// The process's file mode creation mask, read without changing it.
mode_t CurrentUmask();

}  // namespace tavrel
