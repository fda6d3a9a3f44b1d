#pragma once
// The user's regional date and time formats, as the platform keeps them.

#include "platform/regional_formats.h"

namespace tavrel {

// Reads the formats afresh: on Linux from ICU's data for the LC_TIME locale
// (the reference settings for C, POSIX or none); on Windows with GetLocaleInfoW
// from the user's default locale, overrides included.
RegionalFormats LoadUserRegionalFormats();

}  // namespace tavrel
