#pragma once
// The real outside world that a session works with in both run modes: the file
// system, the clock, the regional formats and collation of the user's locale,
// the settings file (beside the program, or where the build keeps it), and
// the user's journal folder.

#include <memory>
#include <string>

#include "app/rename_session.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/journal_folder.h"
#include "platform/regional_formats.h"
#include "platform/text_ordering.h"

namespace tavrel {

class UserEnvironment {
public:
    // Loads the user's regional formats and collation.
    explicit UserEnvironment(const std::string& executable_path);

    // Services for a session; they refer to this object, which must outlive it.
    SessionServices Services();

    // Reads the regional formats again, all at once (the desktop's settings
    // changed); sessions made from this object see the new ones.
    void ReloadRegionalFormats();

    const std::string& executable_path() const { return executable_path_; }
    JournalFolder& journals() { return *journals_; }

private:
    std::string executable_path_;
    std::unique_ptr<FileSystem> file_system_;
    std::unique_ptr<Clock> clock_;
    RegionalFormats formats_;
    std::unique_ptr<TextOrdering> ordering_;
    std::string settings_folder_;
    std::string settings_path_;
    std::unique_ptr<JournalFolder> journals_;
    std::string working_folder_;
};

}  // namespace tavrel
