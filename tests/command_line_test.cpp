#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/last_resort.h"
#include "stamp/date_conversion_error.h"

namespace tavrel {
namespace {

using Arguments = std::vector<std::string>;

// An address as the platform's "%p" writes it ("0x1234" on Linux,
// "0000000000001234" on Windows).
std::string AddressText(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", address);
    return text;
}

TEST(CommandLine, SplitsAWholeCommandLineText) {
    struct Case {
        const char* name;
        std::string text;
        Arguments arguments;
    } cases[] = {
        {"ProgramOnly", "tavrel.exe", {}},
        {"Empty", "", {}},
        {"BlanksAndTabs", "tavrel \t a\tb  c ", {"a", "b", "c"}},
        {"OnlyBlanksAndQuotePairs", "tavrel  \"\"  \"\" \t", {}},
        {"QuotedBlanks", "tavrel \"/My Files\"/a.txt", {"/My Files/a.txt"}},
        {"QuotesDroppedInside", "tavrel a\"b c\"d", {"ab cd"}},
        {"QuotePairBetweenArguments", "tavrel a \"\" b", {"a", "b"}},
        {"QuotePairInsideArgument", "tavrel a\"\"b", {"ab"}},
        {"UnclosedQuoteRunsToEnd", "tavrel \"a b", {"a b"}},
        {"LoneQuoteAtEndEndsCount", "tavrel a \"", {"a"}},
        {"BackslashIsOrdinary", "tavrel a\\\"b c\"", {"a\\b c"}},
        {"ControlCharactersSeparate",
         "tavrel a\x01"
         "b\x1F"
         "c",
         {"a", "b", "c"}},
        {"QuotedProgramName", "\"/opt/my tools/tavrel\" x", {"x"}},
        {"NulEndsText", std::string("tavrel a\0b", 10), {"a"}},
        {"MultiByteNames", "tavrel 写真/a.jpg", {"写真/a.jpg"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.arguments) << c.name;
}

TEST(CommandLine, EmptyArgvElementsAddNoArgument) {
    struct Case {
        const char* name;
        std::vector<const char*> argv;
        Arguments arguments;
    } cases[] = {
        {"ProgramOnly", {"tavrel"}, {}},
        {"EmptyBetweenTwo", {"tavrel", "a", "", "b c"}, {"a", "b c"}},
        {"EmptyFirst", {"tavrel", "", "b"}, {"b"}},
        {"EmptyLast", {"tavrel", "a", ""}, {"a"}},
        {"EmptyOnly", {"tavrel", "", ""}, {}},
    };
    for (auto& c : cases) {
        c.argv.push_back(nullptr);
        EXPECT_EQ(ArgumentsFromArgv(static_cast<int>(c.argv.size()) - 1, c.argv.data()),
                  c.arguments)
            << c.name;
    }
}

TEST(LastResort, TextNamesTheErrorAndEndsTheMessageWithAPeriod) {
    EXPECT_EQ(WithFinalPeriod("abc"), "abc.");
    EXPECT_EQ(WithFinalPeriod("abc."), "abc.");
    EXPECT_EQ(WithFinalPeriod(""), "");
    EXPECT_EQ(WithFinalPeriod("ends with blank "), "ends with blank .");
    EXPECT_EQ(LastResortText("DateConversionError", "tavrel", reinterpret_cast<void*>(0x1234),
                             kDateConversionMessage),
              "DateConversionError がモジュール tavrel の " +
                  AddressText(reinterpret_cast<void*>(0x1234)) +
                  " で発生しました。\n"
                  "日付に変換できない値が渡されました.");
    try {
        throw DateConversionError();
    } catch (const Error& error) {
        ASSERT_NE(error.Address(), nullptr);
        const auto text = LastResortTextFor(std::current_exception(), "tavrel");
        EXPECT_EQ(text.rfind("DateConversionError がモジュール tavrel の " +
                                 AddressText(error.Address()) + " で発生しました。",
                             0),
                  0u)
            << text;
    }
    try {
        throw std::bad_alloc();
    } catch (...) {
        const auto text = LastResortTextFor(std::current_exception(), "tavrel");
        EXPECT_EQ(text.rfind("std::bad_alloc がモジュール tavrel の ", 0), 0u) << text;
    }
}

}  // namespace
}  // namespace tavrel
