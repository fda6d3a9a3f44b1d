#pragma once
// The user's regional date and time formats, read from the locale data of ICU.

#include <string>

#include "platform/regional_formats.h"

namespace tavrel {

// The regional formats of a POSIX locale name (as in LC_TIME): the short date
// pattern of the locale converted to Tavrel's pattern language, its date and
// time separators, its hour style and AM/PM texts, month and weekday names.
// "C", "POSIX" and "" have no such settings and give the reference settings.
// Years are always those of the Gregorian calendar.
RegionalFormats LoadRegionalFormats(const std::string& locale_name);

// Converts a locale-data date pattern (y, M, L, d, E, quoted literals, ...) to
// Tavrel's pattern language; the date separator is the single character that
// stands between the first two fields ("/" when there is none).
void ConvertDatePattern(const std::u16string& pattern, RegionalFormats& formats);

// Takes the hour style, the place of the AM/PM marker and the time separator
// from a locale-data time pattern (H/k 24-hour, h/K 12-hour, a/b/B marker).
void ReadTimePattern(const std::u16string& pattern, RegionalFormats& formats);

}  // namespace tavrel
