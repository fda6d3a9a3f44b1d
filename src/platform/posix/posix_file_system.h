#pragma once
// The file system of Linux, through POSIX calls; every system call it makes is
// wrapped once and retried on EINTR.

#include "platform/file_system.h"
#include "platform/posix/held_directory.h"

namespace tavrel {

// The real file system of the running machine. Tests derive from it to make
// single operations fail.
//
// ReadLastWriteTime, IsNameTaken and RenameNoReplace name the file relative to
// the directory of the last path, held open between calls (see
// held_directory.h); ReadDirectory is ListDirectory (directory_listing.h) and
// ReplaceFileContents is ReplaceFileAtomically (atomic_replace.h).
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
    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override;
    bool IsExistingFile(const std::string& path) override;
    int ReadFileStart(const std::string& path, std::size_t limit, std::string& contents) override;
    int ReplaceFileContents(const std::string& path, const std::string& contents) override;
    void ReleaseHeldDirectory() override;

private:
    HeldDirectory held_;
};

}  // namespace tavrel
