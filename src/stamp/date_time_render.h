#pragma once
// Rendering a stamp time as text with the regional formats.
//
// Pattern language (letters in either case; a run of one letter is one element):
//   y, yy          year modulo 100, two digits      yyy and longer  the year, four digits
//   M, MM          month (at least one/two digits)  MMM / MMMM+     short / long month name
//   d, dd          day of the month                 ddd / dddd+     short / long weekday name
//   h, hh (longer counts as hh)  hour; 12-hour when the first "a" that follows, outside
//                  quotes and before any further h, begins an AM/PM element
//   m, mm after an hour element, n, nn              minute
//   s, ss          second
//   AMPM           the AM or PM text    am/pm, a/p   the half the pattern writes
//   /              date separator       :            time separator
//   "text", 'text' the text as it is
// The era and rare letters c, t, z, e and g render as nothing; every other
// character renders as itself.

#include <string>
#include <string_view>

#include "platform/regional_formats.h"

namespace tavrel {

// A file's last-write time in local time, in the range and resolution of the
// stamp: years 1980 to 2107, even seconds.
struct StampTime {
    int year = 1980;
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;   // 0..59
    int second = 0;   // 0..58, even
    int weekday = 0;  // 0 = Sunday
};

// Applies one pattern to the time.
std::string RenderPattern(std::string_view pattern, const StampTime& time,
                          const RegionalFormats& formats);

// The time pattern built from the formats: "AMPM " when a 12-hour clock shows
// its marker first, "h" or "hh", ":mm:ss", " AMPM" when the marker follows.
// Always with seconds.
std::string LongTimePattern(const RegionalFormats& formats);

// The short date, then, unless the time is exactly 00:00:00 (or always_with_time
// is set), a space and the long time.
std::string RenderDateTime(const StampTime& time, const RegionalFormats& formats,
                           bool always_with_time = false);

}  // namespace tavrel
