// The stamp time on Windows: SystemTimeToTzSpecificLocalTime at the file's own
// moment, then FileTimeToDosDateTime's range and resolution.

#include <gtest/gtest.h>
#include <windows.h>

#include "stamp/stamp_text.h"
#include "windows_test_support.h"

namespace tavrel {
namespace {

using test::UtcSeconds;

// Runs with TZ=Europe/Berlin (set by ctest): a winter file keeps its winter
// offset (+1) and a summer file its summer offset (+2), whatever today's is.
TEST(LocalTime, UsesTheOffsetInForceAtTheFilesTime) {
    TIME_ZONE_INFORMATION zone;
    ::GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, -60) << "run with TZ=Europe/Berlin, as ctest does";
    const auto summer = ToStampTime(UtcSeconds(2011, 7, 15, 8, 0, 0));
    const auto winter = ToStampTime(UtcSeconds(2011, 1, 15, 8, 0, 0));
    ASSERT_TRUE(summer && winter);
    EXPECT_EQ(summer->hour, 10);
    EXPECT_EQ(winter->hour, 9);
    EXPECT_EQ(StampTextFor(*summer, 2, RegionalFormats::Reference()), "20110715-100000_");
    EXPECT_EQ(StampTextFor(*winter, 2, RegionalFormats::Reference()), "20110115-090000_");
}

// Runs with TZ=America/New_York (set by ctest): daylight saving time began on
// 2 April in 2006 and on 11 March from 2007, and each file gets its own year's
// rule.
TEST(LocalTime, UsesTheRulesOfTheFilesYear) {
    TIME_ZONE_INFORMATION zone;
    ::GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, 300) << "run with TZ=America/New_York, as ctest does";
    const auto before_rule_change = ToStampTime(UtcSeconds(2006, 3, 20, 12, 0, 0));
    const auto after_rule_change = ToStampTime(UtcSeconds(2007, 3, 20, 12, 0, 0));
    ASSERT_TRUE(before_rule_change && after_rule_change);
    EXPECT_EQ(before_rule_change->hour, 7);  // still standard time
    EXPECT_EQ(after_rule_change->hour, 8);   // daylight saving time
}

TEST(LocalTime, KeepsTheRangeAndResolutionOfDosTimes) {
    EXPECT_FALSE(ToStampTime(UtcSeconds(1979, 12, 31, 23, 59, 58)));
    EXPECT_FALSE(ToStampTime(UtcSeconds(1601, 1, 1)));
    EXPECT_FALSE(ToStampTime(-20000000000));
    EXPECT_FALSE(ToStampTime(UtcSeconds(2108, 1, 1)));
    const auto first = ToStampTime(UtcSeconds(1980, 1, 1));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->weekday, 2);  // a Tuesday
    const auto last = ToStampTime(UtcSeconds(2107, 12, 31, 23, 59, 59));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->second, 58);  // odd seconds round down
    const auto time = ToStampTime(UtcSeconds(2011, 9, 14, 5, 25, 37));
    ASSERT_TRUE(time);
    EXPECT_EQ(StampTextFor(*time, 2, RegionalFormats::Reference()), "20110914-052536_");
}

}  // namespace
}  // namespace tavrel
