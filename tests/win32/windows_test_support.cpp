#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "platform/win32/wtf8.h"

namespace tavrel::test {
namespace {

using win32::FromWtf8;
using win32::ToWtf8;

constexpr std::int64_t kEpochDifference = 11644473600;

FILETIME ToFileTime(std::int64_t utc_seconds) {
    const auto ticks = static_cast<std::uint64_t>((utc_seconds + kEpochDifference) * 10000000);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            const bool is_link = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !is_link)
                RemoveTree(child);
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ::RemoveDirectoryW(child.c_str());
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> count{0};
    wchar_t base[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
    std::wstring directory(base, length);
    if (!directory.empty() && directory.back() == L'\\') directory.pop_back();
    directory += L"\\tavrel-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(count++);
    if (!::CreateDirectoryW(directory.c_str(), nullptr))
        ADD_FAILURE() << "cannot create " << ToWtf8(directory);
    path_ = ToWtf8(directory);
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + "\\" + name;
}

TempDir::~TempDir() {
    RemoveTree(FromWtf8(path_));
}

std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME file_time;
    ::SystemTimeToFileTime(&time, &file_time);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(file_time.dwHighDateTime) << 32) | file_time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000) - kEpochDifference;
}

void MakeFile(const std::string& path, std::int64_t utc_seconds, const std::string& contents) {
    HANDLE file = ::CreateFileW(FromWtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << path;
    DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    const FILETIME time = ToFileTime(utc_seconds);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time)) << path;
    ::CloseHandle(file);
}

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryW(FromWtf8(path).c_str(), nullptr)) << path;
}

std::string ReadFile(const std::string& path) {
    HANDLE file = ::CreateFileW(FromWtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string contents;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        contents.append(buffer, n);
    ::CloseHandle(file);
    return contents;
}

std::vector<std::string> Names(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((FromWtf8(directory) + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(ToWtf8(name));
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ProgramDirectory() {
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring text(path, length);
    return ToWtf8(text.substr(0, text.find_last_of(L'\\') + 1));
}

int RunProcess(const std::string& program, const std::string& command_line) {
    std::wstring line = FromWtf8(command_line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(FromWtf8(program).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process))
        return -1;
    // No time limit: ctest's timeout ends a test that hangs.
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    ::GetExitCodeProcess(process.hProcess, &exit_code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}

InternationalOverrides::InternationalOverrides(
    const std::vector<std::pair<LCTYPE, std::wstring>>& values) {
    for (const auto& [key, value] : values) {
        wchar_t old[256];
        const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, key, old, 256);
        previous_.emplace_back(key, std::wstring(old, length > 0 ? length - 1 : 0));
        EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, key, value.c_str()))
            << "cannot set " << key << " to " << ToWtf8(value);
    }
}

InternationalOverrides::~InternationalOverrides() {
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it)
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, it->first, it->second.c_str());
}

}  // namespace tavrel::test
