// Tavrel's program entry: arguments give command-line mode; no arguments would
// open the window, which this build does not have yet.

#include <cstdio>

#include "app/command_line.h"
#include "app/command_line_mode.h"

int main(int argc, char** argv) {
    const auto arguments = tavrel::ArgumentsFromArgv(argc, argv);
    if (arguments.empty()) {
        std::fputs(
            "tavrel: window mode needs the graphical build; name files or directories to rename "
            "them from the command line\n",
            stderr);
        return 2;
    }
    return tavrel::RunCommandLineMode(arguments);
}
