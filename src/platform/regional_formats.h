#pragma once
// The regional date and time formats that the stamp is rendered with: a plain
// value, filled by the platform side from the user's locale, or built directly.

#include <array>
#include <string>

namespace tavrel {

struct RegionalFormats {
    // Pattern in Tavrel's pattern language (see stamp/date_time_render.h).
    std::string short_date_pattern = "yyyy/MM/dd";
    std::string date_separator = "/";
    std::string time_separator = ":";
    bool hour_leading_zero = false;
    bool clock_24_hour = true;
    bool am_pm_before_time = false;
    std::string am_text = "午前";
    std::string pm_text = "午後";
    // Month names, January first; weekday names, Sunday first.
    std::array<std::string, 12> short_month_names;
    std::array<std::string, 12> long_month_names;
    std::array<std::string, 7> short_day_names;
    std::array<std::string, 7> long_day_names;

    // The settings of a Japanese-language desktop with the Gregorian calendar,
    // under which the stamps read "YYYYMMDD_" and "YYYYMMDD-hhmmss_". Used where
    // the user has no regional settings (the C and POSIX locales, or none set).
    static RegionalFormats Reference();
};

}  // namespace tavrel
