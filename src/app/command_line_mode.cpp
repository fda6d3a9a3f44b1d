#include "app/command_line_mode.h"

#include "app/last_resort.h"
#include "app/rename_session.h"
#include "app/user_environment.h"
#include "platform/process.h"

namespace tavrel {

int RunCommandLineMode(const std::vector<std::string>& arguments,
                       const std::function<void(const std::string&)>& show_error) {
    const std::string executable = ExecutablePath();
    return RunWithLastResort(
        executable,
        [&] {
            UserEnvironment environment(executable);
            RenameSession session(environment.Services());
            session.Initialize(arguments);
            return 0;
        },
        show_error);
}

}  // namespace tavrel
