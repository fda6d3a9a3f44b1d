// The regional formats read with GetLocaleInfoW from the user's overrides in
// HKCU\Control Panel\International. The test prefix holds the reference
// settings (set by wine_prefix.sh); each test sets what it needs on top with
// SetLocaleInfoW and puts the previous values back. The hour style, the place
// of the AM/PM text and the separators follow from the time and short date
// patterns, as in the Region settings of Windows.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "platform/win32/locale_formats.h"
#include "platform/win32/win32_file_system.h"
#include "stamp/date_time_render.h"
#include "stamp/stamp_text.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

using test::InternationalOverrides;
using test::MakeFile;
using test::TempDir;
using test::UtcSeconds;

// The stamp texts of a real file last written at the given UTC time.
std::pair<std::string, std::string> StampsOfFileAt(std::int64_t utc_seconds,
                                                   const RegionalFormats& formats) {
    TempDir dir;
    MakeFile(dir / "IMG_0001.jpg", utc_seconds);
    Win32FileSystem file_system;
    return {MakeStampText(dir / "IMG_0001.jpg", 1, file_system, formats),
            MakeStampText(dir / "IMG_0001.jpg", 2, file_system, formats)};
}

TEST(RegionalFormats, ReferenceSettingsGiveTheNamedStamps) {
    const RegionalFormats formats = ReadUserRegionalFormats();
    EXPECT_EQ(formats.short_date_pattern, "yyyy/MM/dd");
    EXPECT_EQ(formats.date_separator, "/");
    EXPECT_EQ(formats.time_separator, ":");
    EXPECT_FALSE(formats.hour_leading_zero);
    EXPECT_TRUE(formats.clock_24_hour);
    EXPECT_EQ(LongTimePattern(formats), "h:mm:ss");
    const auto [type1, type2] = StampsOfFileAt(UtcSeconds(2011, 9, 14, 5, 25, 37), formats);
    EXPECT_EQ(type1, "20110914_");
    EXPECT_EQ(type2, "20110914-052536_");
}

TEST(RegionalFormats, MonthFirstTwelveHourSettingsGiveTheirOwnStamps) {
    InternationalOverrides overrides({{LOCALE_SSHORTDATE, L"M/d/yyyy"},
                                      {LOCALE_STIMEFORMAT, L"h:mm:ss tt"},
                                      {LOCALE_S1159, L"AM"},
                                      {LOCALE_S2359, L"PM"}});
    const RegionalFormats formats = ReadUserRegionalFormats();
    EXPECT_EQ(formats.short_date_pattern, "M/d/yyyy");
    EXPECT_FALSE(formats.clock_24_hour);
    EXPECT_FALSE(formats.am_pm_before_time);
    EXPECT_EQ(formats.am_text, "AM");
    EXPECT_EQ(formats.pm_text, "PM");
    const auto [type1, type2] = StampsOfFileAt(UtcSeconds(2011, 9, 14, 17, 25, 37), formats);
    EXPECT_EQ(type1, "9142011_");
    EXPECT_EQ(type2, "9142011-0525360-PM_");
}

TEST(RegionalFormats, EachLocaleKeyReachesItsField) {
    struct Case {
        const char* name;
        std::vector<std::pair<LCTYPE, std::wstring>> overrides;
        std::function<void(const RegionalFormats&)> check;
    } cases[] = {
        {"DateSeparatorOfOneCharacter",
         {{LOCALE_SDATE, L"."}},
         [](const RegionalFormats& f) { EXPECT_EQ(f.date_separator, "."); }},
        {"LongerSeparatorsCountAsNone",
         {{LOCALE_SDATE, L"--"}, {LOCALE_STIME, L".."}},
         [](const RegionalFormats& f) {
             EXPECT_EQ(f.date_separator, "/");
             EXPECT_EQ(f.time_separator, ":");
         }},
        {"TimeSeparator",
         {{LOCALE_STIME, L"."}},
         [](const RegionalFormats& f) { EXPECT_EQ(f.time_separator, "."); }},
        {"HourWithLeadingZero",
         {{LOCALE_STIMEFORMAT, L"HH:mm:ss"}},
         [](const RegionalFormats& f) { EXPECT_EQ(LongTimePattern(f), "hh:mm:ss"); }},
        {"MarkerBeforeTheTime",
         {{LOCALE_STIMEFORMAT, L"tt h:mm:ss"}, {LOCALE_S1159, L"午前"}},
         [](const RegionalFormats& f) {
             EXPECT_EQ(LongTimePattern(f), "AMPM h:mm:ss");
             EXPECT_EQ(f.am_text, "午前");
         }},
        {"EraLettersRemovedForJapanese",
         {{LOCALE_SSHORTDATE, L"gg yyyy/MM/dd"}},
         [](const RegionalFormats& f) { EXPECT_EQ(f.short_date_pattern, " yyyy/MM/dd"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InternationalOverrides overrides(c.overrides);
        c.check(ReadUserRegionalFormats());
    }
}

TEST(RegionalFormats, EraRuleTouchesOnlyJapaneseChineseAndKorean) {
    struct Case {
        const char* name;
        std::wstring pattern;
        unsigned language;
        std::wstring expected;
    } cases[] = {
        {"Japanese", L"ggyyyy/MM/dd", LANG_JAPANESE, L"yyyy/MM/dd"},
        {"Chinese", L"Gyyyy/M/d", LANG_CHINESE, L"yyyy/M/d"},
        {"Korean", L"gg yy-MM-dd", LANG_KOREAN, L" yy-MM-dd"},
        {"QuotedTextKept", L"'gg'yyyy\"g\"/MM", LANG_JAPANESE, L"'gg'yyyy\"g\"/MM"},
        {"OtherLanguagesUnchanged", L"dd.MM.yyyy g", LANG_GERMAN, L"dd.MM.yyyy g"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplyEraRule(c.pattern, c.language), c.expected) << c.name;
}

}  // namespace
}  // namespace tavrel::win32
