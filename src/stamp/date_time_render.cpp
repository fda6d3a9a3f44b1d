#include "stamp/date_time_render.h"

#include <algorithm>
#include <cstdio>

namespace tavrel {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view prefix) {
    if (text.size() - pos < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[pos + i]) != prefix[i]) return false;
    return true;
}

// Length of the AM/PM element that begins at pos, or 0 when none does.
std::size_t AmPmElementLength(std::string_view pattern, std::size_t pos) {
    if (StartsWithIgnoringCase(pattern, pos, "ampm")) return 4;
    if (StartsWithIgnoringCase(pattern, pos, "am/pm")) return 5;
    if (StartsWithIgnoringCase(pattern, pos, "a/p")) return 3;
    return 0;
}

// Whether an hour element ending before pos is on the 12-hour clock.
bool TwelveHourClockFollows(std::string_view pattern, std::size_t pos) {
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        if (c == '"' || c == '\'') {
            const auto close = pattern.find(c, pos + 1);
            if (close == std::string_view::npos) return false;
            pos = close + 1;
            continue;
        }
        const char lower = Lower(c);
        if (lower == 'h') return false;
        if (lower == 'a') return AmPmElementLength(pattern, pos) > 0;
        ++pos;
    }
    return false;
}

// The value with at least min_digits digits, led by zeros, and never more than
// 15 characters in all: what "%0*d" leaves in a buffer of 16. Written by hand,
// since it runs several times a file.
void AppendNumber(std::string& out, int value, int min_digits) {
    constexpr int kMostShown = 15;
    if (value < 0) {
        char buffer[kMostShown + 1];
        std::snprintf(buffer, sizeof buffer, "%0*d", min_digits, value);
        out += buffer;
        return;
    }
    char digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    const int zeros = std::max(min_digits - count, 0);
    const int shown = std::min(zeros + count, kMostShown);
    for (int i = 0; i < shown; ++i) out += i < zeros ? '0' : digits[count - 1 - (i - zeros)];
}

}  // namespace

std::string RenderPattern(std::string_view pattern, const StampTime& time,
                          const RegionalFormats& formats) {
    enum class Element { None, Hour, Other };
    Element last = Element::None;
    std::string out;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const char c = pattern[pos];
        if (c == '"' || c == '\'') {
            const auto close = pattern.find(c, pos + 1);
            const auto stop = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(pos + 1, stop - pos - 1);
            pos = close == std::string_view::npos ? pattern.size() : close + 1;
            continue;
        }
        if (c == '/') {
            out += formats.date_separator;
            ++pos;
            continue;
        }
        if (c == ':') {
            out += formats.time_separator;
            ++pos;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            out += c;
            ++pos;
            continue;
        }
        const char letter = Lower(c);
        if (letter == 'a') {
            const std::size_t length = AmPmElementLength(pattern, pos);
            const bool morning = time.hour < 12;
            if (length == 4) {
                out += morning ? formats.am_text : formats.pm_text;
            } else if (length == 5) {
                out += pattern.substr(morning ? pos : pos + 3, 2);
            } else if (length == 3) {
                out += pattern[morning ? pos : pos + 2];
            } else {
                out += c;
                ++pos;
                continue;
            }
            pos += length;
            last = Element::Other;
            continue;
        }
        std::size_t run = 1;
        while (pos + run < pattern.size() && Lower(pattern[pos + run]) == letter) ++run;
        switch (letter) {
            case 'y':
                if (run <= 2)
                    AppendNumber(out, time.year % 100, 2);
                else
                    AppendNumber(out, time.year, 4);
                break;
            case 'm':
                if (run <= 2 && last == Element::Hour) {
                    AppendNumber(out, time.minute, static_cast<int>(run));
                } else if (run <= 2) {
                    AppendNumber(out, time.month, static_cast<int>(run));
                } else {
                    out += (run == 3 ? formats.short_month_names
                                     : formats.long_month_names)[time.month - 1];
                }
                break;
            case 'n':
                AppendNumber(out, time.minute, run >= 2 ? 2 : 1);
                break;
            case 'd':
                if (run <= 2)
                    AppendNumber(out, time.day, static_cast<int>(run));
                else
                    out +=
                        (run == 3 ? formats.short_day_names : formats.long_day_names)[time.weekday];
                break;
            case 'h': {
                int hour = time.hour;
                if (TwelveHourClockFollows(pattern, pos + run)) {
                    hour %= 12;
                    if (hour == 0) hour = 12;
                }
                AppendNumber(out, hour, run >= 2 ? 2 : 1);
                break;
            }
            case 's':
                AppendNumber(out, time.second, run >= 2 ? 2 : 1);
                break;
            case 'c':
            case 't':
            case 'z':
            case 'e':
            case 'g':
                break;  // era and rare elements: nothing under the Gregorian calendar
            default:
                out += pattern.substr(pos, run);
                pos += run;
                continue;  // an ordinary letter is no element
        }
        last = letter == 'h' ? Element::Hour : Element::Other;
        pos += run;
    }
    return out;
}

std::string LongTimePattern(const RegionalFormats& formats) {
    std::string pattern;
    if (!formats.clock_24_hour && formats.am_pm_before_time) pattern += "AMPM ";
    pattern += formats.hour_leading_zero ? "hh" : "h";
    pattern += ":mm:ss";
    if (!formats.clock_24_hour && !formats.am_pm_before_time) pattern += " AMPM";
    return pattern;
}

std::string RenderDateTime(const StampTime& time, const RegionalFormats& formats,
                           bool always_with_time) {
    std::string text = RenderPattern(formats.short_date_pattern, time, formats);
    if (always_with_time || time.hour != 0 || time.minute != 0 || time.second != 0) {
        text.reserve(2 * text.size() + 8);
        text += ' ';
        text += RenderPattern(LongTimePattern(formats), time, formats);
    }
    return text;
}

}  // namespace tavrel
