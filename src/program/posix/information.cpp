#include "program/posix/information.h"

#include <cstdio>

#include "app/last_resort.h"
#include "app/settings_file.h"
#include "platform/process.h"
#include "platform/posix/version_string.h"

namespace tavrel {

int PrintInformation(InformationRequest request,
                     const std::function<void(const std::string&)>& show_error) {
    const std::string executable = ExecutablePath();
    return RunWithLastResort(
        executable,
        [&] {
            const std::string text =
                request == InformationRequest::kVersion
                    ? "tavrel " + GetVersionString(executable) + "\n"
                    : UsageText(SettingsFilePath(executable, SeparateSettingsFolder()));
            std::fputs(text.c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        },
        show_error);
}

}  // namespace tavrel
