#pragma once
// The file-system operations Tavrel's core needs, behind one interface so that
// tests can stand in a file system that fails on purpose. PosixFileSystem is the
// real one; every system call it makes is wrapped once and retried on EINTR.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/no_replace_rename.h"

namespace tavrel {

// One entry of a directory listing ("." and ".." included when the file system
// reports them).
struct DirectoryEntry {
    std::string name;
    bool is_directory = false;  // a link to a directory counts as a directory
};

// A directory's identity and its entries, in the file system's own order.
struct DirectoryListing {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::vector<DirectoryEntry> entries;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens the file for reading (never blocking, never a directory), reads its
    // last-write time in seconds since the epoch (UTC) and closes it again.
    // Empty when the file is missing, is a directory or may not be read.
    virtual std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) = 0;

    // True when the path names an existing directory, following links.
    virtual bool IsDirectory(const std::string& path) = 0;

    // True when an entry other than a directory (or a link to one) exists under
    // the name. Errors other than "does not exist" and "invalid name" are
    // settled by looking for the name in a listing of its directory.
    virtual bool IsNameTaken(const std::string& path) = 0;

    // Renames without ever replacing an existing entry. Returns 0 on success,
    // otherwise the errno value of the refusal.
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;

    // Reads a directory whole. Empty when it cannot be opened or read from the
    // start; a listing that breaks off part-way keeps the entries read so far.
    virtual std::optional<DirectoryListing> ReadDirectory(const std::string& path) = 0;

    // True when the path names an existing entry that is not a directory.
    virtual bool IsExistingFile(const std::string& path) = 0;

    // Lets go of the directory that ReadLastWriteTime, IsNameTaken and
    // RenameNoReplace may hold open between calls; the rename pass calls it when
    // it ends, so that nothing stays open while the program waits.
    virtual void ReleaseHeldDirectory() {}

    // Reads a whole file. Returns 0 on success, otherwise the errno value.
    virtual int ReadWholeFile(const std::string& path, std::string& contents) = 0;

    // Replaces the file's contents atomically: writes a temporary file beside it,
    // flushes it and renames it over the old one. Returns 0 or the errno value.
    virtual int ReplaceFileContents(const std::string& path, const std::string& contents) = 0;
};

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

// The system's text for an errno value.
std::string ErrorText(int error_number);

// The process's file mode creation mask, read without changing it.
mode_t CurrentUmask();

}  // namespace tavrel
