#include "platform/regional_formats.h"

namespace tavrel {

RegionalFormats RegionalFormats::Reference() {
    RegionalFormats formats;
    for (int month = 1; month <= 12; ++month) {
        formats.short_month_names[month - 1] = std::to_string(month) + "月";
        formats.long_month_names[month - 1] = std::to_string(month) + "月";
    }
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int day = 0; day < 7; ++day) {
        formats.short_day_names[day] = kDays[day];
        formats.long_day_names[day] = std::string(kDays[day]) + "曜日";
    }
    return formats;
}

}  // namespace tavrel
