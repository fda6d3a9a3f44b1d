#pragma once
// The per-user folder that keeps the journals of rename runs, and the few file
// calls a journal needs there: create a file, append to it, read it whole,
// list and remove files. The folder holds the user's file names, so it and its
// files are the user's alone. Error numbers are the platform's own, as in
// file_system.h.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// A file open for appending.
class AppendingFile {
public:
    virtual ~AppendingFile() = default;
    // Adds the bytes at the file's end, in one write where the system allows.
    // Returns 0 or the error number.
    virtual int Append(std::string_view bytes) = 0;
};

class JournalFolder {
public:
    virtual ~JournalFolder() = default;

    // The folder's path; empty when this user has none (no home folder).
    virtual const std::string& Path() const = 0;
    // Makes the folder and the folders above it that are missing, each one
    // readable by its owner only. Returns 0 or the error number.
    virtual int Make() = 0;
    // The names of the files in the folder, in no order; empty when it cannot
    // be read.
    virtual std::vector<std::string> Names() = 0;
    // Creates a file under the name, readable and writable by its owner only,
    // and never over an existing entry (then the error is EEXIST, or
    // ERROR_FILE_EXISTS on Windows). Null, with `error` set, when it cannot.
    virtual std::unique_ptr<AppendingFile> CreateNew(const std::string& name, int& error) = 0;
    // Opens an existing file to append to it. Null, with `error` set, when it
    // cannot.
    virtual std::unique_ptr<AppendingFile> OpenToAppend(const std::string& name, int& error) = 0;
    // Reads the whole file. Returns 0 or the error number.
    virtual int Read(const std::string& name, std::string& contents) = 0;
    // Removes the file. Returns 0 or the error number.
    virtual int Remove(const std::string& name) = 0;
};

// The journal folder at the path given.
std::unique_ptr<JournalFolder> MakeJournalFolderAt(const std::string& path);

// The user's journal folder: $XDG_STATE_HOME/tavrel (~/.local/state/tavrel
// where XDG_STATE_HOME is unset, empty or not absolute) on Linux,
// %LOCALAPPDATA%\Tavrel on Windows.
std::unique_ptr<JournalFolder> MakeUserJournalFolder();

}  // namespace tavrel
