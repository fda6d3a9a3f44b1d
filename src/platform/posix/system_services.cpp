// The real services of a Linux desktop: the POSIX file system, the monotonic
// clock, and ICU's formats and collation for the user's locale variables.

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/locale_formats.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/process_environment.h"
#include "platform/text_ordering.h"
#include "platform/user_formats.h"

namespace tavrel {

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

std::unique_ptr<Clock> MakeSystemClock() {
    return std::make_unique<MonotonicClock>();
}

std::unique_ptr<TextOrdering> MakeUserTextOrdering() {
    return MakeIcuTextOrdering(LocaleNameFor("LC_COLLATE"));
}

RegionalFormats LoadUserRegionalFormats() {
    return LoadRegionalFormats(LocaleNameFor("LC_TIME"));
}

}  // namespace tavrel
