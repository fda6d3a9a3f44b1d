#pragma once
// Window mode of Tavrel.exe: the native Win32 main window and its event loop.

#include <windows.h>

#include "app/user_environment.h"

namespace tavrel::win32 {

// What the program entry hands to the window.
struct WindowStart {
    HINSTANCE instance = nullptr;       // the program's module, for classes and resources
    int show_command = SW_SHOWDEFAULT;  // wWinMain's nCmdShow
};

// Runs window mode with the user's environment (file system, clock, regional
// formats, collation, settings path, executable path): creates the main window
// hidden, puts it in its starting state (the settings file read), shows the window and dispatches
// messages until it has been closed; returns exit code 0. An error that escapes
// the start leaves this function as an exception: the program entry
// reports it with the last-resort box and exits with 1. Errors raised later,
// inside the loop, are shown by the window's own error handling. On
// WM_WININICHANGE the window calls environment.ReloadRegionalFormats().
int RunWindowMode(UserEnvironment& environment, const WindowStart& start);

}  // namespace tavrel::win32
