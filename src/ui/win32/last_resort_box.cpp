#include "ui/win32/last_resort_box.h"

#include <windows.h>

#include "app/window_texts.h"
#include "platform/win32/wtf8.h"

namespace tavrel::win32 {

void ShowLastResortBox(const std::string& text) {
    // A window destroyed on the way here (the main window, when start-up
    // failed) has posted the quit message; a box opened with it pending would
    // end at once, unseen. The program ends after the box anyway.
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ::MessageBoxW(nullptr, FromWtf8(text).c_str(), FromWtf8(window_text::kLastResortTitle).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace tavrel::win32
