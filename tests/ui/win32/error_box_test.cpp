#include <gtest/gtest.h>

#include "app/window_model.h"

namespace tavrel {
namespace {

// The title of the window's error box, with Windows' separators and letter case.
TEST(ErrorBox, ApplicationTitleFromTheFileName) {
    struct Case {
        const char* name;
        const char* path;
        const char* title;
    } cases[] = {
        {"the program", "C:\\Tools\\Tavrel.exe", "Tavrel"},
        {"capitals after the first", "C:\\Tools\\TAVREL.EXE", "Tavrel"},
        {"first letter stays small", "C:\\tavrel.exe", "tavrel"},
        {"up to the first dot", "C:\\Tools\\My.Tool.exe", "My"},
        {"forward slash", "C:/Tools/ÄBC.exe", "Äbc"},
        {"drive only", "D:Tavrel.exe", "Tavrel"},
        {"character beyond the BMP first",
         "C:\\\xF0\x90\x90\x80"
         "AB.exe",
         "\xF0\x90\x90\x80"
         "ab"},
        {"no name", "C:\\Tools\\", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.name;
}

}  // namespace
}  // namespace tavrel
