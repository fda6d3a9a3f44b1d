// Tavrel.exe started as the desktop starts it: shown maximized or minimized
// (a shortcut set to "Run: Maximized", start /max), and with a settings file
// that another program holds open.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wtf8.h"
#include "window_fixture.h"

namespace tavrel::win32 {
namespace {

using test::WindowFixture;

// Every wait ends as soon as what it waits for is seen; the bound is for a
// broken program only (Wine is slow to start on a busy machine).
constexpr int kWaitSteps = 1800;
constexpr DWORD kStepMs = 50;

// A copy of Tavrel.exe in a folder of its own, where its settings file goes.
struct ProgramCopy {
    test::TempFolder folder;
    std::string program = folder / "Tavrel.exe";
    ProgramCopy() {
        EXPECT_TRUE(
            CopyFileW(FromWtf8(test::ProgramPath()).c_str(), FromWtf8(program).c_str(), TRUE));
    }
};

PROCESS_INFORMATION Start(const std::string& program, WORD show_command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show_command;
    std::wstring command_line = L"\"" + FromWtf8(program) + L"\"";
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(FromWtf8(program).c_str(), command_line.data(), nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &startup, &process));
    return process;
}

// The visible top-level window of the process with this class name.
HWND WaitForWindow(DWORD process_id, const wchar_t* class_name) {
    struct Search {
        DWORD process_id;
        const wchar_t* class_name;
        HWND found = nullptr;
    } search{process_id, class_name};
    for (int step = 0; step < kWaitSteps && search.found == nullptr; ++step) {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (owner == s.process_id && IsWindowVisible(window) &&
                    std::wstring(name) == s.class_name)
                    s.found = window;
                return s.found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(kStepMs);
    }
    return search.found;
}

// The texts of the window's buttons, in the order of their creation.
std::vector<std::wstring> ButtonCaptions(HWND window) {
    std::vector<std::wstring> captions;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (lstrcmpiW(name, L"Button") == 0)
                reinterpret_cast<std::vector<std::wstring>*>(context)->push_back(
                    WindowFixture::Text(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&captions));
    return captions;
}

DWORD WaitForExit(const PROCESS_INFORMATION& process) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, kWaitSteps * kStepMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(ProgramStart, ShowHandlingRunsHoweverTheWindowIsFirstShown) {
    const std::wstring title = L"Tavrel v" + FromWtf8(TAVREL_VERSION);
    const std::vector<std::wstring> captions{L"Execute", L"Clear"};
    for (const WORD show : {WORD{SW_SHOWMAXIMIZED}, WORD{SW_SHOWMINNOACTIVE}}) {
        ProgramCopy copy;
        const PROCESS_INFORMATION process = Start(copy.program, show);
        const HWND window = WaitForWindow(process.dwProcessId, MainWindow::kWindowClass);
        ASSERT_NE(window, nullptr) << "show command " << show;
        // The window is visible a moment before its show handling has run:
        // wait for what that handling shows.
        for (int step = 0; step < kWaitSteps; ++step) {
            if (WindowFixture::Text(window) == title && ButtonCaptions(window) == captions) break;
            Sleep(kStepMs);
        }
        EXPECT_EQ(WindowFixture::Text(window), title) << "show command " << show;
        EXPECT_EQ(ButtonCaptions(window), captions) << "show command " << show;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExit(process), 0u);
    }
}

TEST(ProgramStart, AStartUpErrorStaysOnScreenUntilDismissed) {
    ProgramCopy copy;
    const std::string settings = copy.folder / "setup.ini";
    test::WriteText(settings, "StampType:2\r\n");
    // Held open by another program, with no sharing.
    HANDLE held = CreateFileW(FromWtf8(settings).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const PROCESS_INFORMATION process = Start(copy.program, SW_SHOWNORMAL);
    const HWND box = WaitForWindow(process.dwProcessId, L"#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowFixture::Text(box), L"アプリケーション エラー");
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    EXPECT_NE(std::wstring(text).find(L"FileOpenError"), std::wstring::npos) << ToWtf8(text);
    // The settings file lies beside the program, joined with a "/".
    EXPECT_NE(std::wstring(text).find(FromWtf8(copy.folder.path() + "/setup.ini")),
              std::wstring::npos)
        << ToWtf8(text);
    // Still up, and the program still waits for it.
    Sleep(500);
    EXPECT_TRUE(IsWindow(box));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForExit(process), 1u);
    CloseHandle(held);
}

}  // namespace
}  // namespace tavrel::win32
