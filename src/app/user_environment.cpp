#include "app/user_environment.h"

#include "app/settings_file.h"
#include "platform/posix/locale_formats.h"
#include "platform/process.h"

namespace tavrel {

UserEnvironment::UserEnvironment(const std::string& executable_path)
    : formats_(LoadRegionalFormats(LocaleNameFor("LC_TIME"))),
      ordering_(MakeIcuTextOrdering(LocaleNameFor("LC_COLLATE"))),
      settings_path_(SettingsFilePath(executable_path)) {}

SessionServices UserEnvironment::Services() {
    return SessionServices{file_system_, clock_, formats_, *ordering_, settings_path_};
}

}  // namespace tavrel
