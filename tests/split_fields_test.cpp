#include "base/split_fields.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using Fields = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    char delimiter;
    Fields fields;
};

TEST(SplitFields, BlanksDelimitersAndQuotesShapeTheFields) {
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
    for (const auto& c : cases) EXPECT_EQ(SplitFields(c.text, c.delimiter), c.fields) << c.name;
}

}  // namespace
}  // namespace tavrel
