#include "stamp/delimited_text.h"

#include <gtest/gtest.h>

#include "stamp/integer_text.h"

namespace tavrel {
namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    char delimiter;
    Fields fields;
};

TEST(DelimitedText, CutsFieldsAsTheTableSays) {
    const SplitCase cases[] = {
        {"Empty", "", ',', {}},
        {"BlanksOnly", "  \t ", ',', {}},
        {"BlankSeparates", "a b", ',', {"a", "b"}},
        {"BlanksAroundDelimiter", "a , b", ',', {"a", "b"}},
        {"TwoDelimitersGiveEmptyField", "a,,b", ',', {"a", "", "b"}},
        {"LeadingDelimiter", ",a", ',', {"", "a"}},
        {"TrailingDelimiter", "a,", ',', {"a", ""}},
        {"TrailingDelimiterThenBlank", "a, ", ',', {"a"}},
        {"BlankThenTrailingDelimiter", "a ,", ',', {"a", ""}},
        {"DelimiterAlone", ",", ',', {"", ""}},
        {"QuotedDelimiter", "\"x,y\",z", ',', {"x,y", "z"}},
        {"TextAfterClosingQuote", "\"ab\"cd", ',', {"ab", "cd"}},
        {"QuoteInsideField", "a\"b", ',', {"a\"b"}},
        {"DoubledQuoteInsideQuotes", "\"a\"\"b\"", ',', {"a\"b"}},
        {"EmptyQuotesThenText", "\"\"x", ',', {"", "x"}},
        {"UnclosedQuote", "\"abc", ',', {"abc"}},
        {"TabSeparates", "a\tb", ',', {"a", "b"}},
        {"NulEndsText", std::string("a\0b,c", 5), ',', {"a"}},
        {"ColonSetting", "StampType:1", ':', {"StampType", "1"}},
        {"ColonSettingBlank", "StampType: 1", ':', {"StampType", "1"}},
        {"ColonSettingQuoted", "StampType:\"1\"", ':', {"StampType", "1"}},
        {"MultiByteCharactersAreNoBlanks", "午前 5", ',', {"午前", "5"}},
    };
    for (const auto& c : cases) EXPECT_EQ(DelimitedText(c.text, c.delimiter), c.fields) << c.name;
}

struct IntegerCase {
    const char* name;
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(IntegerText, ReadsDecimalAndHexadecimalWithNothingAfter) {
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
    for (const auto& c : cases) EXPECT_EQ(ReadIntegerText(c.text), c.value) << c.name;
}

}  // namespace
}  // namespace tavrel
