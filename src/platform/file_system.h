#pragma once
// The file-system operations Tavrel's core needs, behind one interface so that
// tests can stand in a file system that fails on purpose. Each platform side has
// the real one (platform/posix/posix_file_system.h, platform/win32/
// win32_file_system.h). Error numbers are the platform's own: errno values on
// Linux, GetLastError values on Windows.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    // otherwise the error number of the refusal.
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

    // Reads a whole file. Returns 0 on success, otherwise the error number.
    virtual int ReadWholeFile(const std::string& path, std::string& contents) = 0;

    // Replaces the file's contents atomically: writes a temporary file beside it,
    // flushes it and renames it over the old one. Returns 0 or the error number.
    virtual int ReplaceFileContents(const std::string& path, const std::string& contents) = 0;
};

// The system's text for an error number of the operations above.
std::string ErrorText(int error_number);

// The file system of the running machine (PosixFileSystem on Linux,
// Win32FileSystem on Windows).
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace tavrel
