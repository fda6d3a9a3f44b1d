// Tavrel's program entry: no arguments open the window; arguments rename what
// they name from the command line, without any window or Qt application. The
// window lives in a module of its own that only window mode loads.

#include "app/command_line.h"
#include "app/command_line_mode.h"
#include "program/posix/window_module_loader.h"

int main(int argc, char** argv) {
    const auto arguments = tavrel::ArgumentsFromArgv(argc, argv);
    if (arguments.empty()) return tavrel::RunWindowModeFromModule(argc, argv);
    return tavrel::RunCommandLineMode(arguments, tavrel::ShowLastResortBoxFromModule);
}
