#pragma once
// The user's regional date and time formats on Windows, read with GetLocaleInfoW
// from LOCALE_USER_DEFAULT, so that the user's own overrides count.

#include <string>
#include <string_view>

#include "platform/regional_formats.h"

namespace tavrel::win32 {

// The short date pattern with the era rule applied: for Japanese, Chinese and
// Korean, every "g" and "G" outside quoted text is removed. The calendar type
// (LOCALE_ICALENDARTYPE) changes nothing: under the era calendars (types 3, 4
// and 5) years are still shown as Gregorian years, since Tavrel's renderer
// knows no eras, and the era letters go there too.
std::wstring ApplyEraRule(std::wstring_view pattern, unsigned primary_language);

// Reads every field of RegionalFormats from the user's settings:
// LOCALE_SSHORTDATE ("m/d/yy" when it yields nothing), LOCALE_SDATE and
// LOCALE_STIME (only when exactly one character, else "/" and ":"),
// LOCALE_ITLZERO, LOCALE_ITIME, LOCALE_ITIMEMARKPOSN (read by ParseInt32, 0 when
// it is no number), LOCALE_S1159 and LOCALE_S2359 ("am", "pm"), and the month
// and weekday names (the reference settings' names where a key yields
// nothing). Sets the thread's locale back to LOCALE_USER_DEFAULT first, as a
// reload after a settings change must.
RegionalFormats ReadUserRegionalFormats();

}  // namespace tavrel::win32
