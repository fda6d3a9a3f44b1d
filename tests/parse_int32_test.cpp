#include "base/parse_int32.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrel {
namespace {

struct IntegerCase {
    const char* name;
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(ParseInt32, ReadsDecimalAndHexadecimalWithNothingAfter) {
    const IntegerCase cases[] = {
        {"LeadingZero", "07", 7},
        {"LeadingBlank", " 7", 7},
        {"Plus", "+7", 7},
        {"Minus", "-1", -1},
        {"Dollar", "$A", 10},
        {"LowerX", "x9", 9},
        {"UpperX", "X1f", 31},
        {"ZeroX", "0x2", 2},
        {"ZeroUpperX", "0X7DB", 2011},
        {"TrailingBlank", "7 ", std::nullopt},
        {"DigitThenLetter", "1a", std::nullopt},
        {"PrefixWithoutDigits", "0x", std::nullopt},
        {"DollarAlone", "$", std::nullopt},
        {"Empty", "", std::nullopt},
        {"SignAlone", "-", std::nullopt},
        {"TabIsNoLeadingBlank", "\t7", std::nullopt},
        {"Largest", "2147483647", 2147483647},
        {"Smallest", "-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"TooLarge", "2147483648", std::nullopt},
        {"TooSmall", "-2147483649", std::nullopt},
        {"HexAllOnesIsMinusOne", "$FFFFFFFF", -1},
        {"NegatedHex", "-$A", -10},
        {"HexTooLarge", "$100000000", std::nullopt},
        {"ManyLeadingZeros", "000000000000000000012", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseInt32(c.text), c.value) << c.name;
}

}  // namespace
}  // namespace tavrel
