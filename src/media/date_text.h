#pragma once
// The date texts that photos and videos carry, read into fields and checked.

#include <optional>
#include <string_view>

#include "media/date_taken.h"

namespace tavrel::media {

// An EXIF date, "YYYY:MM:DD HH:MM:SS" (the date's separators may also be "-" or "/"); what
// follows the seconds is ignored. Empty for zeros, blanks, impossible fields and dates the stamp
// cannot show (see IsUsableDate).
std::optional<CivilTime> ParseExifDateText(std::string_view text);

// An ISO 8601 date and time, "YYYY-MM-DDTHH:MM:SS" followed by anything (fractions, a zone
// offset, which are ignored): the local time as written. Empty as for ParseExifDateText.
std::optional<CivilTime> ParseIsoDateText(std::string_view text);

// A date that exists (month 1 to 12, a day of that month, 00:00:00 to 23:59:59) within the years
// a stamp can show, 1980 to 2107.
bool IsUsableDate(const CivilTime& time);

}  // namespace tavrel::media
