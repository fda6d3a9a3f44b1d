// Tavrel's program entry: no arguments open the window; arguments rename what
// they name from the command line, without any window or Qt application.

#include "app/command_line.h"
#include "app/command_line_mode.h"
#include "ui/window_mode.h"

int main(int argc, char** argv) {
    const auto arguments = tavrel::ArgumentsFromArgv(argc, argv);
    if (arguments.empty()) return tavrel::RunWindowMode(argc, argv);
    return tavrel::RunCommandLineMode(arguments, tavrel::ShowLastResortBoxIfDisplay);
}
