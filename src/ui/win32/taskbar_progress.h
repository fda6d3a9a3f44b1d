#pragma once
// Progress on the window's taskbar button, through the shell's taskbar
// interface. Where the shell offers none (an older desktop, no COM), nothing
// is shown and nothing fails.

#include <windows.h>

#include <optional>

#include "app/window_model.h"

struct ITaskbarList3;

namespace tavrel::win32 {

class TaskbarProgress {
public:
    TaskbarProgress() = default;
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // Shows the progress on the window's button (a moving bar while the count
    // is not known yet), or takes it away (nothing).
    void Show(HWND window, const std::optional<WorkProgress>& progress);

private:
    bool com_started_ = false;
    bool tried_ = false;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace tavrel::win32
