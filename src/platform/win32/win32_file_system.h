#pragma once
// The file system of Windows, through these Win32 calls:
// CreateFileW with no sharing and GetFileTime for the time, GetFileAttributesW
// for the directory and taken-name tests, MoveFileW (which never replaces) for
// the rename, FindFirstFileW/FindNextFileW/FindClose for a listing. Paths arrive
// as WTF-8 and are converted to UTF-16 here, and reach every call in
// extended-length form (platform/win32/extended_path.h), so their length is not
// bound by MAX_PATH; the callers keep the text they were given. Error numbers
// are GetLastError values.
//
// Paths on a share (a UNC path or a mapped network drive) are slow, and safe
// from several threads (IsSlowAndThreadSafe): every call may then be made from
// several threads at once. The only state kept between calls is each thread's
// last folder identity, under a lock, and a time read or rename that another
// thread's call refused for sharing is made again once that call is done.

#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/file_system.h"

namespace tavrel::win32 {

class Win32FileSystem : public FileSystem {
public:
    std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) override;
    // The file's identity and its folder's: the volume serial number and the
    // file index (GetFileInformationByHandle) of the file opened for its time,
    // and of its parent folder, opened on its own (or remembered from this
    // thread's previous call in that folder, until ReleaseHeldDirectory).
    std::optional<TimeReading> ReadTimeAndIdentity(const std::string& path) override;
    // The bytes of a file on a disk (not a pipe or a device) are read with
    // ReadFile at offsets given in an OVERLAPPED, while the file is open for
    // its time.
    std::optional<TimeReading> ReadTimeAndBytes(
        const std::string& path, const std::function<void(OpenFileBytes&)>& read) override;
    bool IsSlowAndThreadSafe(const std::string& path) override;
    void ReleaseHeldDirectory() override;
    bool IsDirectory(const std::string& path) override;
    bool IsNameTaken(const std::string& path) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    // Directory reparse points (junctions, directory links) are left out of the
    // listing: met inside a walk they are neither entered nor listed as files,
    // so a folder holding a junction to C:\ never leads the walk out of it. With
    // LastStepLink::kRefuse a path that is itself such a reparse point is not read.
    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override;
    bool IsExistingFile(const std::string& path) override;
    // Opened so that others may read but not write the file meanwhile.
    int ReadFileStart(const std::string& path, std::size_t limit, std::string& contents) override;
    // Writes a new file beside the old one, flushes it, and moves it over the old
    // one with MoveFileExW (replace, write-through). A read-only old file is not
    // replaced: the write is refused with ERROR_ACCESS_DENIED.
    int ReplaceFileContents(const std::string& path, const std::string& contents) override;

private:
    struct KnownFolder {
        std::wstring path;  // in extended-length form
        FileIdentity identity;
    };
    std::optional<FileIdentity> FolderIdentity(const std::wstring& folder);
    std::optional<TimeReading> ReadOpened(const std::string& path,
                                          const std::function<void(OpenFileBytes&)>* read);

    std::mutex known_mutex_;
    std::unordered_map<std::thread::id, KnownFolder> known_;  // each thread's last folder
};

}  // namespace tavrel::win32
