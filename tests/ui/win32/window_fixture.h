#pragma once
// A native main window on the real file system under a temporary folder, with a
// settings file of its own and an error box that records instead of showing;
// and the few file helpers the window's tests need.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/rename_session.h"
#include "platform/regional_formats.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_text_ordering.h"
#include "ui/win32/error_box.h"
#include "ui/win32/main_window.h"

namespace tavrel::win32::test {

// A fresh folder in the temporary folder, removed with its contents at the end.
// Paths are UTF-8 with backslashes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// 2011-09-15 12:34:56 UTC, in seconds since 1970.
inline constexpr std::int64_t kFileTime = 1316090096;

// Creates a file with the given contents and last-write time (UTC seconds).
void MakeFile(const std::string& path, std::int64_t utc_seconds, const std::string& contents = "x");
void MakeFolder(const std::string& path);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& contents);
// The names in a folder, sorted.
std::vector<std::string> Names(const std::string& folder);
// Tavrel.exe, as the build made it.
std::string ProgramPath();

// A drop of the paths, as the shell hands it to the window (DragFinish frees it).
HDROP MakeDrop(const std::vector<std::string>& paths);

struct ShownError {
    std::wstring title;
    std::wstring text;
};

// Records the errors; every question gets the base class's No, unshown.
class RecordingErrorBox final : public ErrorBox {
public:
    void ShowError(HWND, const std::wstring& title, const std::wstring& text) override {
        shown.push_back({title, text});
    }
    std::vector<ShownError> shown;
};

class WindowFixture {
public:
    // The window reads its version from the given program file.
    explicit WindowFixture(const std::string& executable_path = ProgramPath(),
                           const std::string& settings_name = "setup.ini");
    ~WindowFixture();

    // Shows the window as the program does (its show handling runs).
    void Show();
    // Dispatches the messages waiting for this thread.
    static void Pump();
    // Drops the paths on the window, and waits until the window has taken them.
    void Drop(const std::vector<std::string>& paths);
    // Presses a key on the list, with Shift or Alt held down or not.
    void PressOnList(WORD key, bool shift = false, bool alt = false);
    // Clicks the button, and waits for the work it started.
    void Click(HWND button);

    // The entries of the file list.
    std::vector<std::string> Entries() const;
    // The marked entries of the list box, ascending, and its current entry.
    std::vector<int> Marked() const;
    int Current() const;
    void Mark(const std::vector<int>& rows);
    // A control's rectangle in its parent's client area.
    static Rect Frame(HWND control);
    static std::wstring Text(HWND window);

    TempFolder files;
    TempFolder settings_folder;
    std::string settings_path;
    // The journals of its runs, in a folder of its own.
    TempFolder state_folder;
    std::unique_ptr<JournalFolder> journals = MakeJournalFolderAt(state_folder / "Tavrel");
    Win32FileSystem file_system;
    PerformanceCounterClock clock;
    RegionalFormats formats = RegionalFormats::Reference();
    Win32TextOrdering ordering;
    RenameSession session{
        SessionServices{file_system, clock, formats, ordering, settings_path, {}, journals.get()}};
    RecordingErrorBox errors;
    int reloads = 0;
    MainWindow form;
};

}  // namespace tavrel::win32::test
