#include "app/command_line_mode.h"

#include <exception>

#include "app/last_resort.h"
#include "app/rename_session.h"
#include "app/user_environment.h"
#include "platform/process.h"

namespace tavrel {

int RunCommandLineMode(const std::vector<std::string>& arguments,
                       const std::function<void(const std::string&)>& show_error) {
    const std::string executable = ExecutablePath();
    try {
        UserEnvironment environment(executable);
        RenameSession session(environment.Services());
        session.InitForm(arguments);
        return 0;
    } catch (...) {
        const std::string text = ReportLastResort(std::current_exception(), executable);
        if (show_error) show_error(text);
        return 1;
    }
}

}  // namespace tavrel
