#include "app/command_line_mode.h"

#include <cstdio>
#include <exception>

#include "app/last_resort.h"
#include "app/rename_session.h"
#include "app/settings_file.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_formats.h"
#include "platform/process.h"
#include "platform/text_ordering.h"

namespace tavrel {

int RunCommandLineMode(const std::vector<std::string>& arguments,
                       const std::function<void(const std::string&)>& show_error) {
    const std::string executable = ExecutablePath();
    try {
        PosixFileSystem file_system;
        MonotonicClock clock;
        const RegionalFormats formats = LoadRegionalFormats(LocaleNameFor("LC_TIME"));
        const auto ordering = MakeIcuTextOrdering(LocaleNameFor("LC_COLLATE"));
        RenameSession session(
            SessionServices{file_system, clock, formats, *ordering, SettingsFilePath(executable)});
        session.InitForm(arguments);
        return 0;
    } catch (...) {
        const std::string module = executable.substr(executable.find_last_of('/') + 1);
        const std::string text = LastResortTextFor(std::current_exception(), module);
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        if (show_error) show_error(text);
        return 1;
    }
}

}  // namespace tavrel
