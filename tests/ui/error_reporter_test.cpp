#include "ui/qt/error_reporter.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(WindowTexts, ErrorTextGetsAPeriodAfterCharactersAboveIt) {
    struct Case {
        const char* message;
        const char* text;
    } cases[] = {
        {"日付に変換できない値が渡されました", "日付に変換できない値が渡されました."},
        {"ends with a period.", "ends with a period."},
        {"ends with a space ", "ends with a space "},
        {"ends with a comma,", "ends with a comma,"},
        {"ends with a slash/", "ends with a slash/."},
        {"ends with a digit 7", "ends with a digit 7."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowErrorText(c.message).toStdString(), c.text) << c.message;
}

TEST(WindowTexts, ApplicationTitleFromTheProgramName) {
    struct Case {
        const char* path;
        const char* title;
    } cases[] = {
        {"/usr/bin/tavrel", "tavrel"},
        {"/opt/TAVREL.EXE", "Tavrel"},
        {"/x/Tavrel.v2.bin", "Tavrel"},
        {"/x/.hidden", ""},
        {"/x/ÄÖÜ", "Äöü"},
        {"relative", "relative"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplicationTitle(c.path).toStdString(), c.title) << c.path;
}

}  // namespace
}  // namespace tavrel
