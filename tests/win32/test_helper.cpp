// A second program for the Windows tests.
//  - With TAVREL_ARGUMENTS_OUT set: writes the arguments that Tavrel's own
//    splitting finds in this process's GetCommandLineW text to that file, one
//    per line in UTF-8, and exits (the command line is the test's subject, so
//    nothing else may be read from it).
//  - "hold PATH READY RELEASE": opens PATH for reading with no sharing, signals
//    the named event READY, and keeps the file open until RELEASE is signalled.
//  - "list-entries OUT": writes the entries of Tavrel's file list, as another
//    program reads them from the window's list box (LB_GETTEXT), to the file
//    OUT, one per line in UTF-8; exits with 5 when no window is open.

#include <windows.h>

#include <string>

#include "platform/win32/wtf8.h"
#include "program/win32/command_line_text.h"

namespace {

int WriteText(const wchar_t* out_path, const std::string& text) {
    HANDLE file = ::CreateFileW(out_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}

int WriteArguments(const wchar_t* out_path) {
    std::string text;
    for (const auto& argument : tavrel::win32::ProcessArguments()) text += argument + "\n";
    return WriteText(out_path, text);
}

int Hold(const wchar_t* path, const wchar_t* ready_name, const wchar_t* release_name) {
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready_name);
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, release_name);
    if (ready == nullptr || release == nullptr) return 3;
    HANDLE file = ::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 4;
    ::SetEvent(ready);
    ::WaitForSingleObject(release, INFINITE);
    ::CloseHandle(file);
    return 0;
}

int ListEntries(const wchar_t* out_path) {
    HWND window = ::FindWindowW(L"TFormMain", nullptr);
    HWND list = window ? ::FindWindowExW(window, nullptr, L"ListBox", nullptr) : nullptr;
    if (list == nullptr) return 5;
    std::string text;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring entry(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                           L'\0');
        const LRESULT got =
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        text += tavrel::win32::ToWtf8(entry) + "\n";
    }
    return WriteText(out_path, text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t out_path[1024];
    if (::GetEnvironmentVariableW(L"TAVREL_ARGUMENTS_OUT", out_path, 1024) > 0)
        return WriteArguments(out_path);
    if (argc == 5 && std::wstring(argv[1]) == L"hold") return Hold(argv[2], argv[3], argv[4]);
    if (argc == 3 && std::wstring(argv[1]) == L"list-entries") return ListEntries(argv[2]);
    return 1;
}
