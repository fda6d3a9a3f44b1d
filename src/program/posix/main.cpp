// Tavrel's program entry: no arguments open the window; arguments rename what
// they name from the command line, without any window or Qt application; a
// lone --help or --version (with no file of that name) is answered on standard
// output, and a lone --undo names back the files of the newest run. The window lives in a module of
// its own that only window mode loads.

#include <memory>

#include "app/command_line.h"
#include "app/command_line_mode.h"
#include "app/command_line_undo.h"
#include "app/information_request.h"
#include "program/posix/information.h"
#include "program/posix/window_module_loader.h"

int main(int argc, char** argv) {
    const auto arguments = tavrel::ArgumentsFromArgv(argc, argv);
    if (arguments.empty()) return tavrel::RunWindowModeFromModule(argc, argv);
    const auto request = tavrel::InformationRequestOf(arguments, *tavrel::MakeSystemFileSystem());
    if (request == tavrel::InformationRequest::kUndo)
        return tavrel::RunCommandLineUndo(tavrel::ShowLastResortBoxFromModule);
    if (request != tavrel::InformationRequest::kNone)
        return tavrel::PrintInformation(request, tavrel::ShowLastResortBoxFromModule);
    return tavrel::RunCommandLineMode(arguments, tavrel::ShowLastResortBoxFromModule);
}
