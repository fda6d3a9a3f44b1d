#include "ui/win32/error_box.h"

#include <gtest/gtest.h>

namespace tavrel::win32 {
namespace {

TEST(ErrorBox, PeriodAppendedAfterCharactersAboveIt) {
    struct Case {
        const char* name;
        std::wstring message;
        std::wstring text;
    } cases[] = {
        {"Japanese text", L"日付に変換できない値が渡されました",
         L"日付に変換できない値が渡されました."},
        {"ends in a letter", L"abc", L"abc."},
        {"ends in a slash (47)", L"a/", L"a/."},
        {"ends in a period", L"abc.", L"abc."},
        {"ends in a parenthesis (41)", L"(Main, 327 行)", L"(Main, 327 行)"},
        {"ends in a blank", L"開けません。 ", L"開けません。 "},
        {"ends in a surrogate pair", L"\U0001F600", L"\U0001F600."},
        {"empty", L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowErrorText(c.message), c.text) << c.name;
}

TEST(ErrorBox, ApplicationTitleFromTheFileName) {
    struct Case {
        const char* name;
        std::wstring path;
        std::wstring title;
    } cases[] = {
        {"the program", L"C:\\Tools\\Tavrel.exe", L"Tavrel"},
        {"capitals after the first", L"C:\\Tools\\TAVREL.EXE", L"Tavrel"},
        {"first letter stays small", L"C:\\tavrel.exe", L"tavrel"},
        {"up to the first dot", L"C:\\Tools\\My.Tool.exe", L"My"},
        {"forward slash", L"C:/Tools/ÄBC.exe", L"Äbc"},
        {"drive only", L"D:Tavrel.exe", L"Tavrel"},
        {"non-BMP first character", L"C:\\\U00010400AB.exe", L"\U00010400ab"},
        {"no name", L"C:\\Tools\\", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.name;
}

}  // namespace
}  // namespace tavrel::win32
