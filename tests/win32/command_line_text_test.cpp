// The splitting rule on the real text of GetCommandLineW: a helper process is
// started with each command line of the table and reports what it found.

#include "program/win32/command_line_text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/wtf8.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

using Arguments = std::vector<std::string>;

Arguments ArgumentsSeenBy(const std::string& command_line, const test::TempDir& dir) {
    const std::string out = dir / "arguments.txt";
    ::DeleteFileW(FromWtf8(out).c_str());
    ::SetEnvironmentVariableW(L"TAVREL_ARGUMENTS_OUT", FromWtf8(out).c_str());
    const int exit_code =
        test::RunProcess(test::ProgramDirectory() + TAVREL_TEST_HELPER, command_line);
    ::SetEnvironmentVariableW(L"TAVREL_ARGUMENTS_OUT", nullptr);
    EXPECT_EQ(exit_code, 0) << command_line;
    Arguments arguments;
    const std::string text = test::ReadFile(out);
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find('\n', start);
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

TEST(CommandLineText, IsSplitByTavrelsOwnRule) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string command_line;
        Arguments arguments;
    } cases[] = {
        {"ProgramOnly", "Tavrel.exe", {}},
        {"BlanksTabsAndQuotePairsOnly", "Tavrel.exe  \t \"\" \"\"  ", {}},
        {"QuotedStretchWithBlanks", "Tavrel.exe \"C:\\My Files\"\\a.txt", {"C:\\My Files\\a.txt"}},
        {"QuotePairBetweenArguments", "Tavrel.exe a.jpg \"\" b.jpg", {"a.jpg", "b.jpg"}},
        {"TrailingBackslashIsNoEscape", "Tavrel.exe \"C:\\photos\\\" x", {"C:\\photos\\", "x"}},
        {"LoneQuoteAtTheEndEndsTheCount", "Tavrel.exe a b \"", {"a", "b"}},
        {"QuotedProgramName", "\"C:\\Program Files\\Tavrel.exe\" a", {"a"}},
        {"NonBmpAndJapanese",
         "Tavrel.exe 写真😀.jpg \"D:\\新しい フォルダー\"",
         {"写真😀.jpg", "D:\\新しい フォルダー"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArgumentsSeenBy(c.command_line, dir), c.arguments) << c.name;
}

}  // namespace
}  // namespace tavrel::win32
