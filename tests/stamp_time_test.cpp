// The stamp time of a file time on Linux: range, resolution and the offset of
// the local time zone, which these tests change through TZ.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "stamp/stamp_text.h"
#include "test_support.h"

namespace tavrel {
namespace {

TEST(StampTime, RangeAndResolution) {
    using test::UtcSeconds;
    EXPECT_FALSE(ToStampTime(UtcSeconds(1979, 12, 31, 23, 59, 58)));
    EXPECT_FALSE(ToStampTime(UtcSeconds(1970, 1, 1)));
    EXPECT_FALSE(ToStampTime(-1000000));
    EXPECT_FALSE(ToStampTime(UtcSeconds(2108, 1, 1)));
    ASSERT_TRUE(ToStampTime(UtcSeconds(1980, 1, 1)));
    const auto last = ToStampTime(UtcSeconds(2107, 12, 31, 23, 59, 59));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->second, 58);  // odd seconds round down
    const auto time = ToStampTime(UtcSeconds(2011, 9, 14, 5, 25, 37));
    ASSERT_TRUE(time);
    EXPECT_EQ(StampTextFor(*time, 2, RegionalFormats::Reference()), "20110914-052536_");
}

// The offset in force at the file's own time decides, not today's.
TEST(StampTime, UsesTheOffsetInForceAtTheFilesTime) {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const auto summer = ToStampTime(test::UtcSeconds(2011, 7, 15, 8, 0, 0));
    const auto winter = ToStampTime(test::UtcSeconds(2011, 1, 15, 8, 0, 0));
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ASSERT_TRUE(summer && winter);
    EXPECT_EQ(summer->hour, 10);
    EXPECT_EQ(winter->hour, 9);
}

}  // namespace
}  // namespace tavrel
