#pragma once
// The file system of Linux, through POSIX calls; every system call it makes is
// wrapped once and retried on EINTR.

#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/file_system.h"
#include "platform/posix/held_directory.h"
#include "platform/posix/mount_traits.h"

namespace tavrel {

// The real file system of the running machine. Tests derive from it to make
// single operations fail.
//
// ReadLastWriteTime, IsNameTaken and RenameNoReplace name the file relative to
// the directory of the last path, held open between calls (see
// held_directory.h), one held directory for each thread that calls them, so
// that they may be called from several threads at once; ReadDirectory is
// ListDirectory (directory_listing.h) and ReplaceFileContents is
// ReplaceFileAtomically (atomic_replace.h).
class PosixFileSystem : public FileSystem {
public:
    // The rename's system calls in a held directory are made by make_calls
    // (tests stand in calls that log what they do); what each mount keeps is
    // told from mount_table (tests stand in a table of their own).
    explicit PosixFileSystem(RenameCallsMaker make_calls = KernelRenameSystemCallsIn,
                             std::unique_ptr<MountTable> mount_table = KernelMountTable())
        : make_calls_(std::move(make_calls)), mounts_(std::move(mount_table)) {}
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) override;
    std::optional<TimeReading> ReadTimeAndIdentity(const std::string& path) override;
    // Bytes are read with pread, so the reads never block on a FIFO or device:
    // only a regular file's bytes are handed on.
    std::optional<TimeReading> ReadTimeAndBytes(
        const std::string& path, const std::function<void(OpenFileBytes&)>& read) override;
    bool IsDirectory(const std::string& path) override;
    bool IsNameTaken(const std::string& path) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    // Every step of RenameNoReplace refuses an existing target with EEXIST, so
    // the rename is asked first and IsNameTaken only after such a refusal (it
    // tells a taken name from a directory of that name; a name the lookup
    // does not show yet counts as taken).
    RenameOutcome RenameUnlessTaken(const std::string& from, const std::string& to) override;
    // For a network file system or a FUSE layer other than the local disk
    // drivers (FAT, exFAT, NTFS), as /proc/self/mountinfo names it. Where the
    // file system makes identities up (see MountTraits), the identities a
    // reading gives are made from the paths instead.
    bool IsSlowAndThreadSafe(const std::string& path) override;
    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override;
    bool IsExistingFile(const std::string& path) override;
    int ReadFileStart(const std::string& path, std::size_t limit, std::string& contents) override;
    int ReplaceFileContents(const std::string& path, const std::string& contents) override;
    int CreateFolders(const std::string& path) override;
    void ReleaseHeldDirectory() override;

private:
    // Opens the file for its time, reads it, and hands the open file to
    // `read` (when given) before closing it.
    std::optional<TimeReading> ReadOpened(const std::string& path,
                                          const std::function<void(OpenFileBytes&)>* read);

    // The calling thread's held directory, made on its first call. The
    // reference stays good until ReleaseHeldDirectory, which destroys every
    // thread's: hence it may come only when no other thread is inside a call.
    HeldDirectory& Held();

    // Whether a rename onto the path reserves the new name first.
    bool ReservesNewName(const std::string& path);

    RenameCallsMaker make_calls_;
    NoReplaceRefusals refusals_;
    MountTraitsCache mounts_;
    std::once_flag working_folder_asked_;
    bool working_folder_reserves_new_name_ = false;
    std::mutex held_mutex_;
    std::map<std::thread::id, std::unique_ptr<HeldDirectory>> held_;
};

// Makes the folder and each missing folder above it, from the top down, each
// readable by its owner only. Returns 0 or the errno value.
int MakeFolderPath(const std::string& path);

}  // namespace tavrel
