#include "app/command_line_mode.h"

#include <cstdio>

#include "app/journal_texts.h"
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
            // Said once, before an error that ends the run is reported.
            const auto say_if_lost = [&] {
                if (!session.journal_failed()) return;
                const std::string text =
                    "tavrel: " + JournalLostText(environment.journals().Path()) + "\n";
                std::fwrite(text.data(), 1, text.size(), stderr);
                std::fflush(stderr);
            };
            try {
                session.Initialize(arguments);
            } catch (...) {
                say_if_lost();
                throw;
            }
            say_if_lost();
            return 0;
        },
        show_error);
}

}  // namespace tavrel
