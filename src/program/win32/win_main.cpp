// Tavrel.exe's entry (GUI subsystem): with arguments, a command-line run without
// any window (a lone --undo, with no file of that name, undoes the newest run); without, window
// mode. An error that escapes start-up in either mode goes to the last-resort handler: a message
// box, then exit code 1.

#include <windows.h>

#include "app/command_line_mode.h"
#include "app/command_line_undo.h"
#include "app/information_request.h"
#include "app/last_resort.h"
#include "app/user_environment.h"
#include "platform/process.h"
#include "program/win32/command_line_text.h"
#include "ui/win32/last_resort_box.h"
#include "ui/win32/window_mode.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command) {
    const auto arguments = tavrel::win32::ProcessArguments();
    if (!arguments.empty() &&
        tavrel::InformationRequestOf(arguments, *tavrel::MakeSystemFileSystem()) ==
            tavrel::InformationRequest::kUndo)
        return tavrel::RunCommandLineUndo(tavrel::win32::ShowLastResortBox);
    if (!arguments.empty())
        return tavrel::RunCommandLineMode(arguments, tavrel::win32::ShowLastResortBox);
    const std::string executable = tavrel::ExecutablePath();
    return tavrel::RunWithLastResort(
        executable,
        [&] {
            tavrel::UserEnvironment environment(executable);
            return tavrel::win32::RunWindowMode(environment,
                                                tavrel::win32::WindowStart{instance, show_command});
        },
        tavrel::win32::ShowLastResortBox);
}
