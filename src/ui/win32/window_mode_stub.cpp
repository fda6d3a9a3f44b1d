// Stands in for the window until it is built: window mode runs InitForm, so
// start-up errors reach the last-resort handler as they will with the window,
// then says that the window is missing and ends.

#include "app/rename_session.h"
#include "ui/win32/window_mode.h"

namespace tavrel::win32 {

int RunWindowMode(UserEnvironment& environment, const WindowStart&) {
    RenameSession session(environment.Services());
    session.InitForm({});
    ::MessageBoxW(nullptr, L"This build of Tavrel has no window yet; drop files onto Tavrel.exe.",
                  L"Tavrel", MB_OK | MB_ICONINFORMATION);
    return 0;
}

}  // namespace tavrel::win32
