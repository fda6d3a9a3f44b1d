#include "ui/win32/taskbar_progress.h"

#include <objbase.h>
#include <shobjidl.h>

namespace tavrel::win32 {

TaskbarProgress::~TaskbarProgress() {
    if (taskbar_ != nullptr) taskbar_->Release();
    if (com_started_) CoUninitialize();
}

void TaskbarProgress::Show(HWND window, const std::optional<WorkProgress>& progress) {
    // The taskbar is asked for only when work first shows progress, so a
    // window whose work is always short never starts COM.
    if (!tried_) {
        tried_ = true;
        com_started_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        void* taskbar = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ITaskbarList3, &taskbar))) {
            taskbar_ = static_cast<ITaskbarList3*>(taskbar);
            if (FAILED(taskbar_->HrInit())) {
                taskbar_->Release();
                taskbar_ = nullptr;
            }
        }
    }
    if (taskbar_ == nullptr || window == nullptr) return;
    if (!progress) {
        taskbar_->SetProgressState(window, TBPF_NOPROGRESS);
    } else if (progress->total == 0) {
        taskbar_->SetProgressState(window, TBPF_INDETERMINATE);
    } else {
        taskbar_->SetProgressState(window, TBPF_NORMAL);
        taskbar_->SetProgressValue(window, progress->done, progress->total);
    }
}

}  // namespace tavrel::win32
