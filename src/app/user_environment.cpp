#include "app/user_environment.h"

#include "app/settings_file.h"
#include "platform/user_formats.h"

namespace tavrel {

UserEnvironment::UserEnvironment(const std::string& executable_path)
    : executable_path_(executable_path),
      file_system_(MakeSystemFileSystem()),
      clock_(MakeSystemClock()),
      formats_(LoadUserRegionalFormats()),
      ordering_(MakeUserTextOrdering()),
      settings_path_(SettingsFilePath(executable_path)) {}

SessionServices UserEnvironment::Services() {
    return SessionServices{*file_system_, *clock_, formats_, *ordering_, settings_path_};
}

void UserEnvironment::ReloadRegionalFormats() {
    formats_ = LoadUserRegionalFormats();
}

}  // namespace tavrel
