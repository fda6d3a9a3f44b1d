#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <shared_mutex>

#include "platform/name_listing.h"
#include "platform/name_rules.h"
#include "platform/win32/extended_path.h"
#include "platform/win32/network_path.h"
#include "platform/win32/wtf8.h"

namespace tavrel::win32 {
namespace {

// Seconds between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr std::int64_t kEpochDifference = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;

// Every path reaches the file calls through here: in extended-length form, so
// that a path of MAX_PATH characters or more is read and renamed like any other.
std::wstring FilePath(const std::string& path) {
    return ExtendedLengthPath(FromWtf8(path));
}

int LastError() {
    return static_cast<int>(::GetLastError());
}

// Closes a handle when it goes out of scope.
struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
    HANDLE handle =
        ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

DWORD Attributes(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

DWORD Attributes(const std::string& path) {
    return Attributes(FilePath(path));
}

// FindFirstFileW/FindNextFileW/FindClose as one enumeration.
class Enumeration {
public:
    explicit Enumeration(const std::wstring& pattern)
        : handle_(::FindFirstFileW(pattern.c_str(), &data_)) {}
    ~Enumeration() {
        if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
    }
    Enumeration(const Enumeration&) = delete;
    Enumeration& operator=(const Enumeration&) = delete;

    bool started() const { return handle_ != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAW& current() const { return data_; }
    bool Next() { return ::FindNextFileW(handle_, &data_) != FALSE; }

private:
    WIN32_FIND_DATAW data_{};
    HANDLE handle_;
};

// The volume serial number and file index from an open handle's information.
// Two files may share them (an index of 0 on some servers, a 128-bit index cut
// to 64 bits): the rename pass then takes them for one file or folder, which
// costs it speed, never a wrong name.
FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> FolderIdentityOf(const std::wstring& directory) {
    const UniqueHandle handle = OpenFile(directory, FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return IdentityOf(info);
}

// The identity of a listed directory, or a value no other directory of this
// run gets when it cannot be read: the walk's cycle test then never takes two
// different directories for one.
void Identify(const std::wstring& directory, DirectoryListing& listing) {
    static std::atomic<std::uint64_t> unknown{0};
    if (const auto identity = FolderIdentityOf(directory)) {
        listing.device = identity->device;
        listing.inode = identity->inode;
    } else {
        listing.device = ~std::uint64_t{0};
        listing.inode = ++unknown;
    }
}

std::int64_t SecondsSinceEpoch(const FILETIME& time) {
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kEpochDifference;
}

// The calls that open a file the rename pass works on: the time reads, which
// share it with nobody, and the renames. Made from several threads, they can
// refuse each other (a path listed twice, a hard link read ahead while its
// file is renamed), which must not pass for another program holding the file:
// a call refused for sharing is made once more while none of this process's
// own such calls is under way, and only that answer counts.
std::shared_mutex own_opens;

template <typename Call>
auto WithoutOwnOpens(Call call) {
    {
        const std::shared_lock<std::shared_mutex> shared(own_opens);
        auto result = call();
        if (result || ::GetLastError() != ERROR_SHARING_VIOLATION) return result;
    }
    const std::unique_lock<std::shared_mutex> alone(own_opens);
    return call();
}

// Opens a file for its time as ReadLastWriteTime says.
UniqueHandle OpenForTime(const std::wstring& path) {
    // No sharing: a file another program holds open cannot be read, and no
    // other program can open it while its time is read. A directory fails to
    // open without FILE_FLAG_BACKUP_SEMANTICS, like a missing file.
    return OpenFile(path, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

// A disk file's bytes, read at offsets given in an OVERLAPPED: the handle is
// synchronous, so each read is complete when ReadFile returns.
class HandleBytes : public OpenFileBytes {
public:
    HandleBytes(HANDLE handle, std::uint64_t size) : handle_(handle), size_(size) {}

    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        std::size_t copied = 0;
        while (copied < size && offset + copied < size_) {
            const std::uint64_t at = offset + copied;
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(at);
            where.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - copied, 1 << 20));
            DWORD n = 0;
            if (!::ReadFile(handle_, into + copied, wanted, &n, &where) || n == 0) break;
            copied += n;
        }
        return copied;
    }
    std::uint64_t Size() const override { return size_; }

private:
    HANDLE handle_;
    std::uint64_t size_;
};

bool IsDirectoryReparsePoint(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool WriteAll(HANDLE handle, const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        DWORD n = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(contents.size() - written, 1 << 20));
        if (!::WriteFile(handle, contents.data() + written, chunk, &n, nullptr)) return false;
        written += n;
    }
    return true;
}

}  // namespace

std::optional<std::int64_t> Win32FileSystem::ReadLastWriteTime(const std::string& path) {
    const std::wstring file_path = FilePath(path);
    return WithoutOwnOpens([&]() -> std::optional<std::int64_t> {
        const UniqueHandle file = OpenForTime(file_path);
        FILETIME last_write;
        if (!file || !::GetFileTime(file.get(), nullptr, nullptr, &last_write)) return std::nullopt;
        return SecondsSinceEpoch(last_write);
    });
}

std::optional<TimeReading> Win32FileSystem::ReadTimeAndIdentity(const std::string& path) {
    return ReadOpened(path, nullptr);
}

std::optional<TimeReading> Win32FileSystem::ReadTimeAndBytes(
    const std::string& path, const std::function<void(OpenFileBytes&)>& read) {
    return ReadOpened(path, &read);
}

std::optional<TimeReading> Win32FileSystem::ReadOpened(
    const std::string& path, const std::function<void(OpenFileBytes&)>* read) {
    const std::wstring file_path = FilePath(path);
    // The bytes are read inside the call, while the file is open and no other
    // thread of this process is refused for its sake.
    const auto read_bytes = [read](HANDLE file) {
        LARGE_INTEGER size;
        if (!read || !*read || ::GetFileType(file) != FILE_TYPE_DISK ||
            !::GetFileSizeEx(file, &size))
            return;
        HandleBytes bytes(file, static_cast<std::uint64_t>(size.QuadPart));
        (*read)(bytes);
    };
    auto reading = WithoutOwnOpens([&]() -> std::optional<TimeReading> {
        const UniqueHandle file = OpenForTime(file_path);
        if (!file) return std::nullopt;
        std::optional<TimeReading> got;
        BY_HANDLE_FILE_INFORMATION info;
        FILETIME last_write;
        if (::GetFileInformationByHandle(file.get(), &info))
            got = TimeReading{SecondsSinceEpoch(info.ftLastWriteTime), IdentityOf(info), {}};
        // No identity to be had: the time alone, as ReadLastWriteTime reads it.
        else if (::GetFileTime(file.get(), nullptr, nullptr, &last_write))
            got = TimeReading{SecondsSinceEpoch(last_write), {}, {}};
        if (got) read_bytes(file.get());
        return got;
    });
    // The folder of the entry the path names: the extended-length path up to
    // its last separator, "." and ".." resolved and "/" turned into "\".
    const std::size_t name_at = file_path.rfind(L'\\');
    if (reading && reading->file && name_at != std::wstring::npos)
        reading->folder = FolderIdentity(file_path.substr(0, name_at + 1));
    return reading;
}

std::optional<FileIdentity> Win32FileSystem::FolderIdentity(const std::wstring& folder) {
    const std::thread::id thread = std::this_thread::get_id();
    {
        const std::lock_guard<std::mutex> lock(known_mutex_);
        const auto known = known_.find(thread);
        if (known != known_.end() && known->second.path == folder) return known->second.identity;
    }
    const auto identity = FolderIdentityOf(folder);
    if (identity) {
        const std::lock_guard<std::mutex> lock(known_mutex_);
        known_[thread] = KnownFolder{folder, *identity};
    }
    return identity;
}

void Win32FileSystem::ReleaseHeldDirectory() {
    const std::lock_guard<std::mutex> lock(known_mutex_);
    known_.clear();
}

bool Win32FileSystem::IsSlowAndThreadSafe(const std::string& path) {
    return IsOnNetworkDrive(FromWtf8(path));
}

bool Win32FileSystem::IsDirectory(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::IsExistingFile(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::IsNameTaken(const std::string& path) {
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return false;
        default:
            break;
    }
    // The attributes cannot be read for another reason (access denied, a file
    // held in a way that hides them): the directory's listing settles it.
    return IsNameTakenInListing(*this, path);
}

int Win32FileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    // MoveFileW refuses an existing target (ERROR_ALREADY_EXISTS); it never replaces.
    const std::wstring from_path = FilePath(from);
    const std::wstring to_path = FilePath(to);
    return WithoutOwnOpens([&] { return ::MoveFileW(from_path.c_str(), to_path.c_str()); })
               ? 0
               : LastError();
}

std::optional<DirectoryListing> Win32FileSystem::ReadDirectory(const std::string& path,
                                                               LastStepLink link) {
    const std::wstring directory = FilePath(path);
    if (link == LastStepLink::kRefuse && IsDirectoryReparsePoint(Attributes(directory)))
        return std::nullopt;
    std::wstring pattern = directory;
    if (pattern.empty() || pattern.back() != static_cast<wchar_t>(kDirectorySeparator))
        pattern += static_cast<wchar_t>(kDirectorySeparator);
    pattern += L'*';
    Enumeration enumeration(pattern);
    if (!enumeration.started()) return std::nullopt;
    DirectoryListing listing;
    Identify(directory, listing);
    do {
        const WIN32_FIND_DATAW& found = enumeration.current();
        // Hidden, system and read-only entries are listed like all others.
        if (IsDirectoryReparsePoint(found.dwFileAttributes)) continue;
        DirectoryEntry entry;
        entry.name = ToWtf8(found.cFileName);
        entry.is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        listing.entries.push_back(std::move(entry));
    } while (enumeration.Next());  // the end, or an error: keep what was read
    return listing;
}

int Win32FileSystem::ReadFileStart(const std::string& path, std::size_t limit,
                                   std::string& contents) {
    contents.clear();
    const UniqueHandle file = OpenFile(FilePath(path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL);
    if (!file) return LastError();
    char buffer[4096];
    while (contents.size() < limit) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, limit - contents.size()));
        if (!::ReadFile(file.get(), buffer, want, &n, nullptr)) return LastError();
        if (n == 0) break;
        contents.append(buffer, n);
    }
    return 0;
}

int Win32FileSystem::ReplaceFileContents(const std::string& path, const std::string& contents) {
    const std::wstring target = FilePath(path);
    // A read-only file is one the user chose not to have written: it is kept,
    // as an open for writing would be refused. (MoveFileExW refuses to replace
    // it on Windows too, but not every Windows-like system does.)
    const DWORD attributes = Attributes(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    // A name of its own beside the target: the process id, and a count for the
    // unlikely case that a file of that name is left over.
    std::wstring temporary;
    UniqueHandle file;
    for (unsigned attempt = 0; !file; ++attempt) {
        temporary = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt) + L".tmp";
        file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (!file && (::GetLastError() != ERROR_FILE_EXISTS || attempt == 100)) return LastError();
    }
    auto fail = [&](int error) {
        file.reset();
        ::DeleteFileW(temporary.c_str());
        return error;
    };
    if (!WriteAll(file.get(), contents) || !::FlushFileBuffers(file.get()))
        return fail(LastError());
    file.reset();
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(LastError());
    return 0;
}

}  // namespace tavrel::win32

namespace tavrel {

std::string ErrorText(int error_number) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error_number), 0, reinterpret_cast<wchar_t*>(&text), 0,
        nullptr);
    if (length == 0 || text == nullptr) return "error " + std::to_string(error_number);
    std::wstring message(text, length);
    ::LocalFree(text);
    // The system's texts end with a line break.
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return win32::ToWtf8(message);
}

}  // namespace tavrel
