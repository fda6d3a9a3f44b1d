// Rendering with arbitrary patterns and regional formats, and the stamp text
// cut from the rendering. Input, read with FuzzedDataProvider: a pattern, the
// short date pattern, the two separators, the AM and PM texts, a month name and
// a weekday name (strings from the front, each ended by a backslash and one
// more byte), then the hour settings, the time and the stamp type (from the
// back).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.h"
#include "platform/regional_formats.h"
#include "stamp/date_time_render.h"
#include "stamp/stamp_text.h"

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string Without(const std::string& text, bool (*drop)(char)) {
    std::string kept;
    for (char c : text)
        if (!drop(c)) kept += c;
    return kept;
}

// What the stamp reads under the reference settings: "YYYYMMDD_" and
// "YYYYMMDD-hhmmss_".
std::string ReferenceStamp(const tavrel::StampTime& time, int stamp_type) {
    char text[32];
    if (stamp_type < 1) return "";
    if (stamp_type == 1)
        std::snprintf(text, sizeof text, "%04d%02d%02d_", time.year, time.month, time.day);
    else
        std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d_", time.year, time.month,
                      time.day, time.hour, time.minute, time.second);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string pattern = input.ConsumeRandomLengthString(64);
    tavrel::RegionalFormats formats;
    formats.short_date_pattern = input.ConsumeRandomLengthString(32);
    formats.date_separator = input.ConsumeRandomLengthString(8);
    formats.time_separator = input.ConsumeRandomLengthString(8);
    formats.am_text = input.ConsumeRandomLengthString(32);
    formats.pm_text = input.ConsumeRandomLengthString(32);
    const std::string month_name = input.ConsumeRandomLengthString(16);
    const std::string day_name = input.ConsumeRandomLengthString(16);
    for (std::size_t i = 0; i < formats.short_month_names.size(); ++i) {
        formats.short_month_names[i] = month_name + std::to_string(i + 1);
        formats.long_month_names[i] = month_name + month_name + std::to_string(i + 1);
    }
    for (std::size_t i = 0; i < formats.short_day_names.size(); ++i) {
        formats.short_day_names[i] = day_name + std::to_string(i);
        formats.long_day_names[i] = day_name + day_name + std::to_string(i);
    }
    formats.hour_leading_zero = input.ConsumeBool();
    formats.clock_24_hour = input.ConsumeBool();
    formats.am_pm_before_time = input.ConsumeBool();
    // Any stamp time: the range and resolution that the conversion guarantees.
    tavrel::StampTime time;
    time.year = input.ConsumeIntegralInRange(1980, 2107);
    time.month = input.ConsumeIntegralInRange(1, 12);
    time.day = input.ConsumeIntegralInRange(1, 31);
    time.hour = input.ConsumeIntegralInRange(0, 23);
    time.minute = input.ConsumeIntegralInRange(0, 59);
    time.second = 2 * input.ConsumeIntegralInRange(0, 29);
    time.weekday = input.ConsumeIntegralInRange(0, 6);
    const int stamp_type = input.ConsumeIntegralInRange(-2, 3);

    tavrel::RenderPattern(pattern, time, formats);
    tavrel::RenderDateTime(time, formats);

    // Characters that are no letters, quotes or separators render as themselves,
    // and so does quoted text.
    const std::string plain = Without(pattern, [](char c) {
        return IsAsciiLetter(c) || c == '"' || c == '\'' || c == '/' || c == ':';
    });
    TAVREL_FUZZ_CHECK(tavrel::RenderPattern(plain, time, formats) == plain);
    const std::string literal = Without(pattern, [](char c) { return c == '\''; });
    TAVREL_FUZZ_CHECK(tavrel::RenderPattern("'" + literal + "'", time, formats) == literal);

    // Whatever the formats, a stamp is empty below type 1, otherwise ends in
    // "_", and can never hold a "/" that would move the file elsewhere.
    const std::string stamp = tavrel::StampTextFor(time, stamp_type, formats);
    if (stamp_type < 1) {
        TAVREL_FUZZ_CHECK(stamp.empty());
    } else {
        TAVREL_FUZZ_CHECK(!stamp.empty() && stamp.back() == '_');
        TAVREL_FUZZ_CHECK(stamp.find_first_of(std::string("/\0", 2)) == std::string::npos);
    }

    // Under the reference settings the stamp reads as the type's name shows.
    const auto reference = tavrel::RegionalFormats::Reference();
    TAVREL_FUZZ_CHECK(tavrel::StampTextFor(time, stamp_type, reference) ==
                      ReferenceStamp(time, stamp_type));
    return 0;
}
