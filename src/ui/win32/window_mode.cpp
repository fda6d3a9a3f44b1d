// Window mode: the main window and its message loop.

#include "ui/win32/window_mode.h"

#include <commctrl.h>

#include "app/rename_session.h"
#include "platform/process.h"
#include "ui/win32/error_box.h"
#include "ui/win32/main_window.h"

namespace tavrel::win32 {

int RunWindowMode(UserEnvironment& environment, const WindowStart& start) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    RenameSession session(environment.Services());
    MessageBoxErrorBox errors;
    MainWindow form(MainWindowServices{session, ExecutablePath(), errors, [&environment] {
                                           // The thread's locale follows the user's again before
                                           // the formats are read.
                                           SetThreadLocale(LOCALE_USER_DEFAULT);
                                           environment.ReloadRegionalFormats();
                                       }});
    // An error of the start passes on to the program entry's last resort.
    form.model().Reset();
    ShowWindow(form.handle(), start.show_command);
    UpdateWindow(form.handle());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form.TranslateShortcut(message)) continue;
        // Tab and Shift+Tab walk the controls, as in a dialog.
        if (form.handle() != nullptr && IsDialogMessageW(form.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace tavrel::win32
