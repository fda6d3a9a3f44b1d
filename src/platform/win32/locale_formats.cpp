#include "platform/win32/locale_formats.h"

#include <windows.h>

#include <optional>

#include "base/parse_int32.h"
#include "platform/user_formats.h"
#include "platform/win32/wtf8.h"

namespace tavrel::win32 {
namespace {

// The text of one key, or nothing when GetLocaleInfoW writes nothing (its count,
// the final zero included, is 0: unknown key, or a value longer than the buffer).
std::optional<std::wstring> LocaleText(LCTYPE key, int buffer_characters = 256) {
    std::wstring buffer(static_cast<std::size_t>(buffer_characters), L'\0');
    const int count = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, key, buffer.data(), buffer_characters);
    if (count <= 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(count - 1));
    return buffer;
}

std::string TextOr(LCTYPE key, const char* fallback) {
    const auto text = LocaleText(key);
    return text ? ToWtf8(*text) : std::string(fallback);
}

// A separator: its buffer holds one character and the final zero, so a longer
// value yields nothing; an empty one counts as no value either.
std::string SeparatorOr(LCTYPE key, const char* fallback) {
    const auto text = LocaleText(key, 2);
    return text && text->size() == 1 ? ToWtf8(*text) : std::string(fallback);
}

int IntegerOr(LCTYPE key, int fallback) {
    const auto text = LocaleText(key);
    if (!text) return fallback;
    return ParseInt32(ToWtf8(*text)).value_or(0);
}

bool IsEraLetter(wchar_t c) {
    return c == L'g' || c == L'G';
}

}  // namespace

std::wstring ApplyEraRule(std::wstring_view pattern, unsigned primary_language) {
    if (primary_language != LANG_JAPANESE && primary_language != LANG_CHINESE &&
        primary_language != LANG_KOREAN)
        return std::wstring(pattern);
    std::wstring out;
    wchar_t quote = 0;
    for (const wchar_t c : pattern) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == L'\'' || c == L'"') {
            quote = c;
        } else if (IsEraLetter(c)) {
            continue;
        }
        out += c;
    }
    return out;
}

RegionalFormats ReadUserRegionalFormats() {
    ::SetThreadLocale(LOCALE_USER_DEFAULT);
    RegionalFormats formats;
    const unsigned language = PRIMARYLANGID(LANGIDFROMLCID(::GetUserDefaultLCID()));
    const auto short_date = LocaleText(LOCALE_SSHORTDATE);
    formats.short_date_pattern =
        ToWtf8(ApplyEraRule(short_date ? *short_date : L"m/d/yy", language));
    formats.date_separator = SeparatorOr(LOCALE_SDATE, "/");
    formats.time_separator = SeparatorOr(LOCALE_STIME, ":");
    formats.hour_leading_zero = IntegerOr(LOCALE_ITLZERO, 0) != 0;
    formats.clock_24_hour = IntegerOr(LOCALE_ITIME, 0) != 0;
    formats.am_pm_before_time = IntegerOr(LOCALE_ITIMEMARKPOSN, 0) != 0;
    formats.am_text = TextOr(LOCALE_S1159, "am");
    formats.pm_text = TextOr(LOCALE_S2359, "pm");
    const RegionalFormats reference = RegionalFormats::Reference();
    for (int month = 0; month < 12; ++month) {
        formats.short_month_names[month] =
            TextOr(LOCALE_SABBREVMONTHNAME1 + month, reference.short_month_names[month].c_str());
        formats.long_month_names[month] =
            TextOr(LOCALE_SMONTHNAME1 + month, reference.long_month_names[month].c_str());
    }
    // Windows counts weekdays from Monday (SDAYNAME1); Tavrel from Sunday.
    for (int day = 0; day < 7; ++day) {
        const int windows_day = (day + 6) % 7;
        formats.short_day_names[day] =
            TextOr(LOCALE_SABBREVDAYNAME1 + windows_day, reference.short_day_names[day].c_str());
        formats.long_day_names[day] =
            TextOr(LOCALE_SDAYNAME1 + windows_day, reference.long_day_names[day].c_str());
    }
    return formats;
}

}  // namespace tavrel::win32

namespace tavrel {

RegionalFormats LoadUserRegionalFormats() {
    return win32::ReadUserRegionalFormats();
}

}  // namespace tavrel
