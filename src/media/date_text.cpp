#include "media/date_text.h"

namespace tavrel::media {
namespace {

constexpr int kFirstStampYear = 1980;
constexpr int kLastStampYear = 2107;

// The number of the `count` decimal digits at `at`, or -1 when any of them is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "YYYY?MM?DD?HH:MM:SS" with the date's separators among `date_separators` and the one between
// date and time among `middle_separators`.
std::optional<CivilTime> ParseFields(std::string_view text, std::string_view date_separators,
                                     std::string_view middle_separators) {
    if (text.size() < 19) return std::nullopt;
    const auto separator_in = [&](std::size_t at, std::string_view allowed) {
        return allowed.find(text[at]) != std::string_view::npos;
    };
    if (!separator_in(4, date_separators) || text[7] != text[4] ||
        !separator_in(10, middle_separators) || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const CivilTime time{Digits(text, 0, 4),  Digits(text, 5, 2),  Digits(text, 8, 2),
                         Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
    if (!IsUsableDate(time)) return std::nullopt;
    return time;
}

}  // namespace

bool IsUsableDate(const CivilTime& time) {
    // A field that was no number reads as -1 and fails here as well.
    return time.year >= kFirstStampYear && time.year <= kLastStampYear && time.month >= 1 &&
           time.month <= 12 && time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) &&
           time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 &&
           time.second >= 0 && time.second <= 59;
}

std::optional<CivilTime> ParseExifDateText(std::string_view text) {
    return ParseFields(text, ":-/", " ");
}

std::optional<CivilTime> ParseIsoDateText(std::string_view text) {
    return ParseFields(text, "-", "T ");
}

}  // namespace tavrel::media
