// Tavrel.exe's window taking a drop of a big folder, under Wine: the folder is
// dropped on the shown window (WM_DROPFILES), the list is scrolled to its end
// and drawn. To tell where the time goes, the same folder is first collected
// and merged by a session without a window (the walk). Prints the seconds of
// the walk, the seconds from the drop to the drawn end of the list, the peak
// working set in MB and the number of entries the list box holds.
//
//   bench_windows_window_drop.exe DIR

#include <windows.h>
// clang-format off
#include <shlobj.h>
#include <psapi.h>
// clang-format on

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/rename_session.h"
#include "app/user_environment.h"
#include "platform/process.h"
#include "platform/win32/wtf8.h"
#include "ui/win32/error_box.h"
#include "ui/win32/main_window.h"

namespace {

// Any error would make the figure meaningless: say it and fail.
class FailingErrorBox final : public tavrel::win32::ErrorBox {
public:
    void ShowError(HWND, const std::wstring& title, const std::wstring& text) override {
        std::fprintf(stderr, "bench_windows_window_drop: %s: %s\n",
                     tavrel::win32::ToWtf8(title).c_str(), tavrel::win32::ToWtf8(text).c_str());
        std::exit(1);
    }
};

// A drop of one path, as the shell hands it to the window.
HDROP DropOf(const std::wstring& path) {
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, path.c_str(), path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: bench_windows_window_drop DIR\n", stderr);
        return 2;
    }
    const std::string folder = tavrel::win32::ToWtf8(argv[1]);
    const std::string executable = tavrel::ExecutablePath();
    tavrel::UserEnvironment environment(executable);

    // The walk and merge alone, as a command line collects.
    const auto walk_start = std::chrono::steady_clock::now();
    {
        tavrel::RenameSession walk(environment.Services());
        walk.AddBatch({folder});
    }
    const double walk_seconds = SecondsSince(walk_start);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tavrel::RenameSession session(environment.Services());
    FailingErrorBox errors;
    tavrel::win32::MainWindow form(
        tavrel::win32::MainWindowServices{session, executable, errors, nullptr});
    form.model().Reset();
    ShowWindow(form.handle(), SW_SHOWNORMAL);
    UpdateWindow(form.handle());
    Pump();

    const auto start = std::chrono::steady_clock::now();
    SendMessageW(form.handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf(tavrel::win32::FromWtf8(folder))), 0);
    form.model().WaitForWork();
    const LRESULT rows = SendMessageW(form.file_list, LB_GETCOUNT, 0, 0);
    SendMessageW(form.file_list, LB_SETTOPINDEX, rows > 0 ? rows - 1 : 0, 0);
    UpdateWindow(form.file_list);
    const double drop_seconds = SecondsSince(start);

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("%.3f %.3f %.1f %ld\n", walk_seconds, drop_seconds,
                memory.PeakWorkingSetSize / (1024.0 * 1024.0), static_cast<long>(rows));
    return 0;
}
