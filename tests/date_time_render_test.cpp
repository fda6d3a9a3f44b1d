#include "stamp/date_time_render.h"

#include <gtest/gtest.h>

#include "stamp/stamp_text.h"

namespace tavrel {
namespace {

StampTime At(int year, int month, int day, int hour, int minute, int second, int weekday = 3) {
    return StampTime{year, month, day, hour, minute, second, weekday};
}

// Settings of a desktop that writes dates month first, with a 12-hour clock.
RegionalFormats MonthFirstTwelveHour() {
    RegionalFormats formats = RegionalFormats::Reference();
    formats.short_date_pattern = "M/d/yyyy";
    formats.clock_24_hour = false;
    formats.am_text = "AM";
    formats.pm_text = "PM";
    return formats;
}

struct StampCase {
    const char* name;
    StampTime time;
    std::string text;
    std::string type1;
    std::string type2;
};

TEST(StampText, ReferenceSettingsGiveTheNamedForms) {
    const auto formats = RegionalFormats::Reference();
    const StampCase cases[] = {
        {"Morning", At(2011, 9, 14, 5, 25, 36), "2011/09/14 5:25:36", "20110914_",
         "20110914-052536_"},
        {"Afternoon", At(2011, 9, 14, 17, 5, 8), "2011/09/14 17:05:08", "20110914_",
         "20110914-170508_"},
        {"TwoSecondsPastMidnight", At(2011, 9, 14, 0, 0, 2), "2011/09/14 0:00:02", "20110914_",
         "20110914-000002_"},
        // The date alone is rendered; the time is added back for the stamp.
        {"Midnight", At(2011, 9, 14, 0, 0, 0), "2011/09/14", "20110914_", "20110914-000000_"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RenderDateTime(c.time, formats), c.text) << c.name;
        EXPECT_EQ(StampTextFor(c.time, 0, formats), "") << c.name;
        EXPECT_EQ(StampTextFor(c.time, -1, formats), "") << c.name;
        EXPECT_EQ(StampTextFor(c.time, 1, formats), c.type1) << c.name;
        EXPECT_EQ(StampTextFor(c.time, 2, formats), c.type2) << c.name;
    }
}

// The digits written directly must be what rendering and the passes give, at
// every hour, minute and second, on the first and last days of the range, for
// each stamp type, with and without a leading zero on the hour.
TEST(StampText, DirectDigitsAreWhatThePassesGive) {
    RegionalFormats padded = RegionalFormats::Reference();
    padded.hour_leading_zero = true;
    const RegionalFormats settings[] = {RegionalFormats::Reference(), padded};
    const StampTime days[] = {At(1980, 1, 1, 0, 0, 0), At(2011, 9, 14, 0, 0, 0),
                              At(2107, 12, 31, 0, 0, 0)};
    int compared = 0;
    for (const auto& formats : settings) {
        ASSERT_TRUE(RendersPlainDigits(formats));
        for (StampTime time : days) {
            for (time.hour = 0; time.hour < 24; ++time.hour)
                for (time.minute = 0; time.minute < 60; time.minute += 7)
                    for (time.second = 0; time.second < 60; time.second += 2)
                        for (int type : {-1, 0, 1, 2, 3}) {
                            ASSERT_EQ(StampTextFor(time, type, formats),
                                      StampTextByPasses(time, type, formats))
                                << time.year << " " << time.hour << ":" << time.minute << ":"
                                << time.second << " type " << type;
                            ++compared;
                        }
        }
    }
    EXPECT_GT(compared, 10000);
    // Any other setting goes through the passes.
    EXPECT_FALSE(RendersPlainDigits(MonthFirstTwelveHour()));
    RegionalFormats dashed = RegionalFormats::Reference();
    dashed.date_separator = "-";
    EXPECT_FALSE(RendersPlainDigits(dashed));
}

TEST(StampText, OtherSettingsFollowTheSameSteps) {
    const auto formats = MonthFirstTwelveHour();
    const auto time = At(2011, 9, 14, 17, 25, 36);
    EXPECT_EQ(RenderDateTime(time, formats), "9/14/2011 5:25:36 PM");
    EXPECT_EQ(StampFields(RenderDateTime(time, formats)),
              (std::vector<std::string>{"9", "14", "2011", "-", "5", "25", "36", "-", "PM"}));
    EXPECT_EQ(StampTextFor(time, 1, formats), "9142011_");
    EXPECT_EQ(StampTextFor(time, 2, formats), "9142011-0525360-PM_");
}

TEST(StampText, NeverContainsASlash) {
    // Each pass strips one level of quotes, so a text quoted three levels deep
    // would carry its "/" through all of them into the stamp.
    RegionalFormats formats = MonthFirstTwelveHour();
    formats.pm_text = R"("""""""x/y""""""")";
    const auto stamp = StampTextFor(At(2011, 9, 14, 17, 25, 36), 2, formats);
    EXPECT_EQ(stamp.find('/'), std::string::npos) << stamp;
    EXPECT_NE(stamp.find("x-y"), std::string::npos) << stamp;
}

TEST(StampText, MissingFieldsAreRenderedWithTheTimeOrCountAsEmpty) {
    RegionalFormats formats = RegionalFormats::Reference();
    formats.short_date_pattern = "yyyyMMdd";
    // "20110914 5:25:36" gives the fields 20110914, -, 5, 25, 36.
    EXPECT_EQ(StampTextFor(At(2011, 9, 14, 5, 25, 36), 1, formats), "20110914-5_");
    EXPECT_EQ(StampTextFor(At(2011, 9, 14, 0, 0, 0), 1, formats), "20110914-0_");
    EXPECT_EQ(AssembleStampText({"2011"}, 2), "2011_");
}

struct PatternCase {
    const char* name;
    const char* pattern;
    StampTime time;
    const char* output;
};

TEST(DateTimeRender, EveryPatternElement) {
    RegionalFormats formats = RegionalFormats::Reference();
    formats.date_separator = "-";
    formats.time_separator = ".";
    formats.am_text = "AM";
    formats.pm_text = "PM";
    formats.short_month_names[8] = "Sep";
    formats.long_month_names[8] = "September";
    formats.short_day_names[3] = "Wed";
    formats.long_day_names[3] = "Wednesday";
    const auto afternoon = At(2011, 9, 4, 17, 5, 8);
    const auto morning = At(2011, 9, 4, 0, 5, 8);
    const PatternCase cases[] = {
        {"ShortYear", "y yy", afternoon, "11 11"},
        {"LongYear", "yyy yyyy yyyyy", afternoon, "2011 2011 2011"},
        {"Month", "M MM", afternoon, "9 09"},
        {"MonthNames", "MMM MMMM", afternoon, "Sep September"},
        {"Day", "d dd", afternoon, "4 04"},
        {"DayNames", "ddd dddd", afternoon, "Wed Wednesday"},
        {"LettersInEitherCase", "YYYY-mm-DD", afternoon, "2011-09-04"},
        {"TwentyFourHour", "h hh hhh", afternoon, "17 17 17"},
        {"TwelveHourWithAmPm", "h:mm AMPM", afternoon, "5.05 PM"},
        {"MidnightIsTwelve", "hh:nn am/pm", morning, "12.05 am"},
        {"UpperCaseHalves", "h AM/PM", afternoon, "5 PM"},
        {"ShortHalves", "h a/p", morning, "12 a"},
        {"MarkerBeforeHourKeepsTwentyFour", "AMPM h", afternoon, "PM 17"},
        {"FurtherHourEndsTheSearch", "h h AMPM", afternoon, "17 5 PM"},
        {"QuotedMarkerIsNoMarker", "h 'AMPM'", afternoon, "17 AMPM"},
        {"MinuteAfterHour", "h:m:s", afternoon, "17.5.8"},
        {"MonthWithoutHour", "m/mm", afternoon, "9-09"},
        {"MinuteN", "n nn", afternoon, "5 05"},
        {"Seconds", "s ss", afternoon, "8 08"},
        {"QuotedText", "\"yy\"'/'yy", afternoon, "yy/11"},
        {"Separators", "/:", afternoon, "-."},
        {"OrdinaryCharacters", "y.#x", afternoon, "11.#x"},
        {"LoneAIsItself", "a", afternoon, "a"},
        {"EraAndRareLettersVanish", "gg e c t z yy", afternoon, "     11"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenderPattern(c.pattern, c.time, formats), c.output) << c.name;
}

TEST(DateTimeRender, LongTimePatternFollowsTheHourSettings) {
    RegionalFormats formats;
    EXPECT_EQ(LongTimePattern(formats), "h:mm:ss");
    formats.hour_leading_zero = true;
    EXPECT_EQ(LongTimePattern(formats), "hh:mm:ss");
    formats.clock_24_hour = false;
    EXPECT_EQ(LongTimePattern(formats), "hh:mm:ss AMPM");
    formats.am_pm_before_time = true;
    EXPECT_EQ(LongTimePattern(formats), "AMPM hh:mm:ss");
}

}  // namespace
}  // namespace tavrel
