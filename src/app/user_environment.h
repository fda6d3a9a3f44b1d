#pragma once
// The real outside world that a session works with in both run modes: the file
// system, the clock, the regional formats and collation of the user's locale,
// and the settings file beside the program.

#include <memory>
#include <string>

#include "app/rename_session.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/text_ordering.h"
#include "stamp/regional_formats.h"

namespace tavrel {

class UserEnvironment {
public:
    // Loads the locale's formats (LC_TIME) and collation (LC_COLLATE).
    explicit UserEnvironment(const std::string& executable_path);

    // Services for a session; they refer to this object, which must outlive it.
    SessionServices Services();

private:
    PosixFileSystem file_system_;
    MonotonicClock clock_;
    RegionalFormats formats_;
    std::unique_ptr<TextOrdering> ordering_;
    std::string settings_path_;
};

}  // namespace tavrel
