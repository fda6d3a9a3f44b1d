#include "platform/journal_folder.h"

#include <windows.h>

#include "platform/win32/extended_path.h"
#include "platform/win32/wtf8.h"

namespace tavrel {
namespace {

class Win32AppendingFile final : public AppendingFile {
public:
    explicit Win32AppendingFile(HANDLE file) : file_(file) {}
    ~Win32AppendingFile() override { ::CloseHandle(file_); }
    Win32AppendingFile(const Win32AppendingFile&) = delete;
    Win32AppendingFile& operator=(const Win32AppendingFile&) = delete;

    int Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            if (!::WriteFile(file_, bytes.data(), want, &written, nullptr))
                return static_cast<int>(::GetLastError());
            if (written == 0) return ERROR_WRITE_FAULT;
            bytes.remove_prefix(written);
        }
        return 0;
    }

private:
    HANDLE file_;
};

// The folder below the user's local application data, which Windows keeps
// readable by that user (and the system) only; its files inherit that.
class Win32JournalFolder final : public JournalFolder {
public:
    explicit Win32JournalFolder(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const override { return path_; }

    int Make() override {
        if (path_.empty()) return ERROR_PATH_NOT_FOUND;
        const std::wstring full = win32::ExtendedLengthPath(win32::FromWtf8(path_));
        // From the top down, past the "\\?\C:\" or "\\?\UNC\server\share\" root.
        for (std::size_t end = full.find(L'\\', 7);; end = full.find(L'\\', end + 1)) {
            const std::wstring folder = full.substr(0, end);
            if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED &&
                    end == std::wstring::npos)
                    return static_cast<int>(error);
            }
            if (end == std::wstring::npos) break;
        }
        const DWORD attributes = ::GetFileAttributesW(full.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<int>(::GetLastError());
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
    }

    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(PathOf(L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            names.push_back(win32::ToWtf8(found.cFileName));
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }

    std::unique_ptr<AppendingFile> CreateNew(const std::string& name, int& error) override {
        return Open(name, CREATE_NEW, error);
    }

    std::unique_ptr<AppendingFile> OpenToAppend(const std::string& name, int& error) override {
        return Open(name, OPEN_EXISTING, error);
    }

    int Read(const std::string& name, std::string& contents) override {
        contents.clear();
        const HANDLE file = ::CreateFileW(PathOf(win32::FromWtf8(name)).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return static_cast<int>(::GetLastError());
        char buffer[1 << 16];
        int error = 0;
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
                error = static_cast<int>(::GetLastError());
                break;
            }
            if (n == 0) break;
            contents.append(buffer, n);
        }
        ::CloseHandle(file);
        return error;
    }

    int Remove(const std::string& name) override {
        return ::DeleteFileW(PathOf(win32::FromWtf8(name)).c_str())
                   ? 0
                   : static_cast<int>(::GetLastError());
    }

private:
    std::wstring PathOf(const std::wstring& name) const {
        return win32::ExtendedLengthPath(win32::FromWtf8(path_) + L"\\" + name);
    }

    std::unique_ptr<AppendingFile> Open(const std::string& name, DWORD disposition, int& error) {
        error = 0;
        // FILE_APPEND_DATA alone: every write lands at the end, whoever else
        // appends (a run and an undo of it).
        const HANDLE file = ::CreateFileW(PathOf(win32::FromWtf8(name)).c_str(), FILE_APPEND_DATA,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = static_cast<int>(::GetLastError());
            return nullptr;
        }
        return std::make_unique<Win32AppendingFile>(file);
    }

    std::string path_;
};

std::wstring Variable(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD n = ::GetEnvironmentVariableW(name, value.data(), size);
    if (n == 0 || n >= size) return {};
    value.resize(n);
    return value;
}

}  // namespace

std::unique_ptr<JournalFolder> MakeJournalFolderAt(const std::string& path) {
    return std::make_unique<Win32JournalFolder>(path);
}

std::unique_ptr<JournalFolder> MakeUserJournalFolder() {
    std::wstring base = Variable(L"LOCALAPPDATA");
    if (base.empty()) {
        const std::wstring profile = Variable(L"USERPROFILE");
        if (!profile.empty()) base = profile + L"\\AppData\\Local";
    }
    if (base.empty()) return MakeJournalFolderAt({});
    return MakeJournalFolderAt(win32::ToWtf8(base + L"\\Tavrel"));
}

}  // namespace tavrel
