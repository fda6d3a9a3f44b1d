#pragma once
// The file-system operations Tavrel's core needs, behind one interface so that
// tests can stand in a file system that fails on purpose. Each platform side has
// the real one (platform/posix/posix_file_system.h, platform/win32/
// win32_file_system.h). Error numbers are the platform's own: errno values on
// Linux, GetLastError values on Windows.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
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
    bool is_link = false;       // the entry itself is a link (on Windows: a reparse point)
};

// Which file an entry is (device and inode on Linux): two paths with the same
// identity lead to one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A file's last-write time as ReadLastWriteTime reads it, with the identities
// of the file read and of the directory whose entry the path names, where the
// platform can tell them.
struct TimeReading {
    std::int64_t last_write = 0;
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> folder;
};

// The bytes of a file held open for reading, as ReadTimeAndBytes hands them
// on: random-access reads that never move a shared file position, so several
// threads may each read their own file at once.
class OpenFileBytes {
public:
    virtual ~OpenFileBytes() = default;
    // Copies up to `size` bytes from `offset` into `into` and returns how many
    // were copied: fewer only at the end of the file, 0 when the read failed.
    virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) = 0;
    // The file's size in bytes when it was opened.
    virtual std::uint64_t Size() const = 0;
};

// What became of a rename that must not take a taken name.
enum class RenameOutcome {
    kRenamed,  // the file bears the new name
    kTaken,    // IsNameTaken holds for the new name: the file keeps its name
    kRefused,  // the file system refused otherwise: the file keeps its name
};

// Whether a directory may be read through a link in the last step of its path
// (links in the steps before are always followed).
enum class LastStepLink { kFollow, kRefuse };

// A directory's identity and its entries, in the file system's own order.
struct DirectoryListing {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::vector<DirectoryEntry> entries;
    // The file system makes identities up for each path (a share seen
    // through the desktop's FUSE mount): device and inode cannot tell that
    // two paths lead to one directory.
    bool identities_made_up = false;
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

    // ReadLastWriteTime with the identities of the file and of its directory;
    // without them where the platform cannot tell them.
    virtual std::optional<TimeReading> ReadTimeAndIdentity(const std::string& path) {
        const auto last_write = ReadLastWriteTime(path);
        if (!last_write) return std::nullopt;
        return TimeReading{*last_write, std::nullopt, std::nullopt};
    }

    // ReadTimeAndIdentity with the file's bytes: while the file is open for its
    // time (opened as ReadLastWriteTime opens it), a regular file's bytes are
    // handed to `read`, so that its contents cost no second open. The reading
    // is empty, and `read` not called, where ReadTimeAndIdentity's is empty.
    // A file system that cannot hand bytes on gives the reading alone.
    virtual std::optional<TimeReading> ReadTimeAndBytes(
        const std::string& path, const std::function<void(OpenFileBytes&)>& /*read*/) {
        return ReadTimeAndIdentity(path);
    }

    // True when an entry other than a directory (or a link to one) exists under
    // the name. Errors other than "does not exist" and "invalid name" are
    // settled by looking for the name in a listing of its directory.
    virtual bool IsNameTaken(const std::string& path) = 0;

    // Renames without ever replacing an existing entry. Returns 0 on success,
    // otherwise the error number of the refusal.
    virtual int RenameNoReplace(const std::string& from, const std::string& to) = 0;

    // Renames from -> to unless IsNameTaken holds for `to`, with the outcomes of
    // IsNameTaken followed by RenameNoReplace. A file system whose rename
    // refuses every existing target by itself asks the rename first and tests
    // the name only when the rename found it taken, saving a request a file.
    virtual RenameOutcome RenameUnlessTaken(const std::string& from, const std::string& to) {
        if (IsNameTaken(to)) return RenameOutcome::kTaken;
        return RenameNoReplace(from, to) == 0 ? RenameOutcome::kRenamed : RenameOutcome::kRefused;
    }

    // True when the file system holding path is slow, and safe from several
    // threads: it answers each request slowly enough (a network share, a FUSE
    // layer in user space) that reading the next files ahead on several
    // threads pays, and the calls above may then be made from several threads
    // at once. The rename pass reads ahead only where this holds.
    virtual bool IsSlowAndThreadSafe(const std::string& /*path*/) { return false; }

    // Reads a directory whole. Empty when it cannot be opened or read from the
    // start, or when its path ends in a link that may not be followed; a
    // listing that breaks off part-way keeps the entries read so far.
    virtual std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                          LastStepLink link) = 0;

    // True when the path names an existing entry that is not a directory.
    virtual bool IsExistingFile(const std::string& path) = 0;

    // Lets go of the directory that ReadLastWriteTime, IsNameTaken and
    // RenameNoReplace may hold open between calls (one for each thread that
    // calls them); the rename pass calls it when it ends, so that nothing
    // stays open while the program waits. It lets go of every thread's
    // directory at once: call it only when no call of this file system is in
    // flight on another thread, as after a pass's workers have joined, never
    // from within a pass.
    virtual void ReleaseHeldDirectory() {}

    // Reads a file from its start up to its end or up to `limit` bytes, whichever
    // comes first, so a file that never ends (a device, a pipe) costs no more
    // than the limit. Returns 0 on success, otherwise the error number.
    virtual int ReadFileStart(const std::string& path, std::size_t limit,
                              std::string& contents) = 0;

    // Replaces a file's contents atomically: writes a temporary file beside it,
    // flushes it and renames it over the old one. When the path is a link (or a
    // chain of them), the file the link leads to is replaced and the link
    // stays. A file that exists keeps its mode (and, where allowed, its owner);
    // one that exists but may not be written is left as it is, with the refusal
    // as the result. Returns 0 or the error number.
    virtual int ReplaceFileContents(const std::string& path, const std::string& contents) = 0;

    // Creates a folder and the folders above it that are missing, each one
    // readable by its owner only; one that exists already is kept as it is.
    // Returns 0 or the error number. Only the Linux file system makes folders.
    virtual int CreateFolders(const std::string& /*path*/) { return ENOSYS; }
};

// Calls ReleaseHeldDirectory however its scope is left. A pass makes it
// before its workers start, so that it runs after they have joined.
class HeldDirectoryRelease {
public:
    explicit HeldDirectoryRelease(FileSystem& file_system) : file_system_(file_system) {}
    ~HeldDirectoryRelease() { file_system_.ReleaseHeldDirectory(); }
    HeldDirectoryRelease(const HeldDirectoryRelease&) = delete;
    HeldDirectoryRelease& operator=(const HeldDirectoryRelease&) = delete;

private:
    FileSystem& file_system_;
};

// The system's text for an error number of the operations above.
std::string ErrorText(int error_number);

// The file system of the running machine (PosixFileSystem on Linux,
// Win32FileSystem on Windows).
std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace tavrel
