#include "platform/posix/locale_formats.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

#include <memory>
#include <vector>

#include "platform/posix/icu_text_ordering.h"
#include "platform/text_ordering.h"

namespace tavrel {
namespace {

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::string ToUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string ToUtf8(const std::u16string& text) {
    return ToUtf8(icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())));
}

// One piece of a locale-data pattern: a run of one letter, or literal text.
struct PatternPiece {
    bool is_field = false;
    char16_t letter = 0;
    std::size_t run = 0;
    std::u16string literal;
};

// Cuts a locale-data pattern into letter runs and literal stretches; quoted text
// ('...' with '' for an apostrophe) is literal.
std::vector<PatternPiece> ParsePattern(const std::u16string& pattern) {
    std::vector<PatternPiece> pieces;
    auto literal = [&]() -> std::u16string& {
        if (pieces.empty() || pieces.back().is_field) pieces.emplace_back();
        return pieces.back().literal;
    };
    for (std::size_t pos = 0; pos < pattern.size();) {
        const char16_t c = pattern[pos];
        if (c == u'\'') {
            if (pos + 1 < pattern.size() && pattern[pos + 1] == u'\'') {
                literal() += u'\'';
                pos += 2;
                continue;
            }
            ++pos;
            while (pos < pattern.size()) {
                if (pattern[pos] == u'\'') {
                    if (pos + 1 < pattern.size() && pattern[pos + 1] == u'\'') {
                        literal() += u'\'';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                literal() += pattern[pos++];
            }
            continue;
        }
        if (IsLetter(c)) {
            std::size_t run = 1;
            while (pos + run < pattern.size() && pattern[pos + run] == c) ++run;
            PatternPiece piece;
            piece.is_field = true;
            piece.letter = c;
            piece.run = run;
            pieces.push_back(piece);
            pos += run;
            continue;
        }
        literal() += c;
        ++pos;
    }
    return pieces;
}

// A separator of exactly one character, or the fallback.
std::string SingleCharacterOr(const std::u16string& text, const char* fallback) {
    const icu::UnicodeString unicode(text.data(), static_cast<int32_t>(text.size()));
    return unicode.countChar32() == 1 ? ToUtf8(unicode) : std::string(fallback);
}

}  // namespace

void ConvertDatePattern(const std::u16string& pattern, RegionalFormats& formats) {
    const auto pieces = ParsePattern(pattern);
    formats.date_separator = "/";
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (!pieces[i].is_field && pieces[i - 1].is_field && pieces[i + 1].is_field) {
            formats.date_separator = SingleCharacterOr(pieces[i].literal, "/");
            break;
        }
    }
    std::string out;
    for (const auto& piece : pieces) {
        if (!piece.is_field) {
            for (char16_t c : piece.literal) {
                const std::string text = ToUtf8(std::u16string(1, c));
                if (text == formats.date_separator) {
                    out += '/';
                } else if (IsLetter(c) || c == u'/' || c == u':') {
                    out += '"' + text + '"';
                } else if (c == u'"') {
                    out += "'\"'";
                } else if (c == u'\'') {
                    out += "\"'\"";
                } else {
                    out += text;
                }
            }
            continue;
        }
        switch (piece.letter) {
            case u'y':
            case u'Y':
            case u'u':
            case u'r':
                out += piece.run == 2 ? "yy" : "yyyy";
                break;
            case u'M':
            case u'L':
                out += piece.run == 1   ? "M"
                       : piece.run == 2 ? "MM"
                       : piece.run == 3 ? "MMM"
                                        : "MMMM";
                break;
            case u'd':
                out += piece.run >= 2 ? "dd" : "d";
                break;
            case u'E':
                out += piece.run <= 3 ? "ddd" : "dddd";
                break;
            case u'e':
            case u'c':
                if (piece.run >= 3) out += piece.run == 3 ? "ddd" : "dddd";
                break;
            default:
                break;  // eras and other fields have no place in a stamp
        }
    }
    formats.short_date_pattern = out;
}

void ReadTimePattern(const std::u16string& pattern, RegionalFormats& formats) {
    const auto pieces = ParsePattern(pattern);
    formats.clock_24_hour = true;
    formats.hour_leading_zero = false;
    formats.am_pm_before_time = false;
    formats.time_separator = ":";
    bool hour_seen = false;
    bool marker_seen = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto& piece = pieces[i];
        if (!piece.is_field) continue;
        const char16_t c = piece.letter;
        if (!hour_seen && (c == u'H' || c == u'k' || c == u'h' || c == u'K')) {
            hour_seen = true;
            formats.clock_24_hour = c == u'H' || c == u'k';
            formats.hour_leading_zero = piece.run >= 2;
            if (i + 1 < pieces.size() && !pieces[i + 1].is_field)
                formats.time_separator = SingleCharacterOr(pieces[i + 1].literal, ":");
        } else if (!marker_seen && (c == u'a' || c == u'b' || c == u'B')) {
            marker_seen = true;
            formats.am_pm_before_time = !hour_seen;
        }
    }
    if (formats.clock_24_hour) formats.am_pm_before_time = false;
}

RegionalFormats LoadRegionalFormats(const std::string& locale_name) {
    RegionalFormats formats = RegionalFormats::Reference();
    const std::string id = IcuLocaleId(locale_name);
    if (id.empty()) return formats;
    const icu::Locale locale(id.c_str());
    if (locale.isBogus()) return formats;

    auto pattern_of = [](icu::DateFormat* format) -> std::u16string {
        std::unique_ptr<icu::DateFormat> owner(format);
        auto* simple = dynamic_cast<icu::SimpleDateFormat*>(owner.get());
        if (simple == nullptr) return {};
        icu::UnicodeString pattern;
        simple->toPattern(pattern);
        return std::u16string(pattern.getBuffer(), static_cast<std::size_t>(pattern.length()));
    };
    const auto date_pattern =
        pattern_of(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    const auto time_pattern =
        pattern_of(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, locale));
    if (!date_pattern.empty()) ConvertDatePattern(date_pattern, formats);
    if (!time_pattern.empty()) ReadTimePattern(time_pattern, formats);

    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(locale, status);
    if (U_FAILURE(status)) return formats;
    int32_t count = 0;
    const icu::UnicodeString* am_pm = symbols.getAmPmStrings(count);
    if (count >= 2) {
        formats.am_text = ToUtf8(am_pm[0]);
        formats.pm_text = ToUtf8(am_pm[1]);
    }
    const icu::UnicodeString* months = symbols.getShortMonths(count);
    for (int32_t i = 0; i < count && i < 12; ++i) formats.short_month_names[i] = ToUtf8(months[i]);
    months = symbols.getMonths(count);
    for (int32_t i = 0; i < count && i < 12; ++i) formats.long_month_names[i] = ToUtf8(months[i]);
    // Weekday tables are indexed from 1 (Sunday).
    const icu::UnicodeString* days = symbols.getShortWeekdays(count);
    for (int32_t i = 1; i < count && i <= 7; ++i) formats.short_day_names[i - 1] = ToUtf8(days[i]);
    days = symbols.getWeekdays(count);
    for (int32_t i = 1; i < count && i <= 7; ++i) formats.long_day_names[i - 1] = ToUtf8(days[i]);
    return formats;
}

}  // namespace tavrel
