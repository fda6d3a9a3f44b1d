#include "window_fixture.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/win32/wtf8.h"

namespace tavrel::win32::test {
namespace {

void Check(bool done, const char* what) {
    if (!done) throw std::runtime_error(std::string(what) + " failed");
}

// Seconds since 1970 to 100-nanosecond ticks since 1601.
FILETIME FileTimeOf(std::int64_t utc_seconds) {
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(utc_seconds) + 11644473600ULL) * 10000000ULL;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH + 1];
    Check(GetTempPathW(MAX_PATH + 1, temp) > 0, "GetTempPathW");
    static unsigned counter = 0;
    for (;;) {
        const std::wstring candidate = std::wstring(temp) + L"tavrel-window-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = ToWtf8(candidate);
            return;
        }
        Check(GetLastError() == ERROR_ALREADY_EXISTS, "CreateDirectoryW");
    }
}

TempFolder::~TempFolder() {
    RemoveTree(FromWtf8(path_));
}

void MakeFile(const std::string& path, std::int64_t utc_seconds, const std::string& contents) {
    WriteText(path, contents);
    HANDLE file = CreateFileW(FromWtf8(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileW");
    const FILETIME time = FileTimeOf(utc_seconds);
    const bool set = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    Check(set, "SetFileTime");
}

void MakeFolder(const std::string& path) {
    Check(CreateDirectoryW(FromWtf8(path).c_str(), nullptr), "CreateDirectoryW");
}

void WriteText(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileW(FromWtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "CreateFileW");
    DWORD written = 0;
    const bool wrote =
        ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    Check(wrote && written == contents.size(), "WriteFile");
}

std::string ReadText(const std::string& path) {
    HANDLE file = CreateFileW(FromWtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string contents;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        contents.append(buffer, got);
    CloseHandle(file);
    return contents;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((FromWtf8(folder) + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(ToWtf8(name));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ProgramPath() {
    // The build names it as a Unix path; Wine reaches the Unix root as Z:.
    std::string path = TAVREL_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path.rfind('\\', 0) == 0 ? "Z:" + path : path;
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const auto& path : paths) names += FromWtf8(path) + L'\0';
    // The list ends with an empty name; a drop without names still needs both.
    names += paths.empty() ? std::wstring(2, L'\0') : std::wstring(1, L'\0');
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    Check(memory != nullptr, "GlobalAlloc");
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

WindowFixture::WindowFixture(const std::string& executable_path, const std::string& settings_name)
    : settings_path(settings_folder / settings_name),
      form(MainWindowServices{session, executable_path, errors, [this] { ++reloads; }}) {
    form.model().Reset();
}

WindowFixture::~WindowFixture() {
    if (form.handle() != nullptr) DestroyWindow(form.handle());
    // The quit message of the closed window must not end another test's loop.
    Pump();
}

void WindowFixture::Show() {
    ShowWindow(form.handle(), SW_SHOWNORMAL);
    Pump();
}

void WindowFixture::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void WindowFixture::Drop(const std::vector<std::string>& paths) {
    SendMessageW(form.handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    form.model().WaitForWork();
}

void WindowFixture::PressOnList(WORD key, bool shift, bool alt) {
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE changed[256];
    std::memcpy(changed, keys, sizeof keys);
    changed[VK_SHIFT] = shift ? 0x80 : 0;
    changed[VK_MENU] = alt ? 0x80 : 0;
    SetKeyboardState(changed);
    // With Alt down, the key comes as a system key, its context bit (29) set.
    const LPARAM context = alt ? 1 << 29 : 0;
    SendMessageW(form.file_list, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | context);
    SendMessageW(form.file_list, alt ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000001 | context);
    SetKeyboardState(keys);
}

void WindowFixture::Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    form.model().WaitForWork();
    Pump();
}

std::vector<std::string> WindowFixture::Entries() const {
    std::vector<std::string> entries;
    const FileList& list = session.file_list();
    for (std::size_t i = 0; i < list.size(); ++i) entries.push_back(list[i]);
    return entries;
}

std::vector<int> WindowFixture::Marked() const {
    const LRESULT count = SendMessageW(form.file_list, LB_GETSELCOUNT, 0, 0);
    std::vector<int> rows(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (!rows.empty())
        SendMessageW(form.file_list, LB_GETSELITEMS, rows.size(),
                     reinterpret_cast<LPARAM>(rows.data()));
    return rows;
}

int WindowFixture::Current() const {
    return static_cast<int>(SendMessageW(form.file_list, LB_GETCARETINDEX, 0, 0));
}

void WindowFixture::Mark(const std::vector<int>& rows) {
    SendMessageW(form.file_list, LB_SETSEL, FALSE, -1);
    for (int row : rows) SendMessageW(form.file_list, LB_SETSEL, TRUE, row);
}

Rect WindowFixture::Frame(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring WindowFixture::Text(HWND window) {
    wchar_t text[512];
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace tavrel::win32::test
