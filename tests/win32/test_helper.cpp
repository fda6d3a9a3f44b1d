// A second program for the Windows tests.
//  - With TAVREL_ARGUMENTS_OUT set: writes the arguments that Tavrel's own
//    splitting finds in this process's GetCommandLineW text to that file, one
//    per line in UTF-8, and exits (the command line is the test's subject, so
//    nothing else may be read from it).
//  - "hold PATH READY RELEASE": opens PATH for reading with no sharing, signals
//    the named event READY, and keeps the file open until RELEASE is signalled.

#include <windows.h>

#include <string>

#include "platform/win32/wtf8.h"
#include "program/win32/command_line_text.h"

namespace {

int WriteArguments(const std::wstring& out_path) {
    std::string text;
    for (const auto& argument : tavrel::win32::ProcessArguments()) text += argument + "\n";
    HANDLE file = ::CreateFileW(out_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return 0;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t out_path[1024];
    if (::GetEnvironmentVariableW(L"TAVREL_ARGUMENTS_OUT", out_path, 1024) > 0)
        return WriteArguments(out_path);
    if (argc == 5 && std::wstring(argv[1]) == L"hold") return Hold(argv[2], argv[3], argv[4]);
    return 1;
}
