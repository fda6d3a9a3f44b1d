#include "app/user_environment.h"

#include "app/settings_file.h"
#include "platform/process.h"
#include "platform/user_formats.h"

namespace tavrel {

UserEnvironment::UserEnvironment(const std::string& executable_path)
    : executable_path_(executable_path),
      file_system_(MakeSystemFileSystem()),
      clock_(MakeSystemClock()),
      formats_(LoadUserRegionalFormats()),
      ordering_(MakeUserTextOrdering()),
      settings_folder_(SeparateSettingsFolder()),
      settings_path_(SettingsFilePath(executable_path, settings_folder_)),
      journals_(MakeUserJournalFolder()),
      working_folder_(WorkingFolder()) {}

SessionServices UserEnvironment::Services() {
    return SessionServices{*file_system_,  *clock_,          formats_,        *ordering_,
                           settings_path_, settings_folder_, journals_.get(), working_folder_};
}

void UserEnvironment::ReloadRegionalFormats() {
    formats_ = LoadUserRegionalFormats();
}

}  // namespace tavrel
