#include "ui/win32/version_string.h"

#include <gtest/gtest.h>

#include "platform/win32/wtf8.h"
#include "base/assertion_failure.h"
#include "window_fixture.h"

namespace tavrel::win32 {
namespace {

// A copy of the program whose string block is named for another code page, so
// the block 041103A4 is missing while the version resource is still readable.
std::string CopyWithOtherStringBlock(const std::string& folder) {
    std::string bytes = test::ReadText(test::ProgramPath());
    // The block's name as the resource holds it: UTF-16, little-endian.
    const std::string block(
        "0\0"
        "4\0"
        "1\0"
        "1\0"
        "0\0"
        "3\0"
        "A\0"
        "4\0",
        16);
    // The last one: the resources follow the code, whose texts name the block too.
    const std::size_t at = bytes.rfind(block);
    if (at == std::string::npos) return {};
    bytes[at + 14] = '5';
    const std::string path = folder + "\\Tavrel.exe";
    test::WriteText(path, bytes);
    return path;
}

TEST(VersionString, ReadFromTheProgramsVersionResource) {
    test::TempFolder folder;
    test::WriteText(folder / "empty.exe", "");
    test::WriteText(folder / "not-a-program.exe", std::string(200, 'x'));
    const std::string other_block = CopyWithOtherStringBlock(folder.path());
    ASSERT_FALSE(other_block.empty());
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);

    struct Case {
        const char* name;
        std::string path;
        const char* outcome;
    } cases[] = {
        {"the program", test::ProgramPath(), TAVREL_VERSION},
        {"a program without version resource", ToWtf8(own), "アサートの失敗 (Main, 327 行)"},
        {"no such file", folder / "missing.exe", "アサートの失敗 (Main, 327 行)"},
        {"an empty file", folder / "empty.exe", "アサートの失敗 (Main, 327 行)"},
        {"not a program", folder / "not-a-program.exe", "アサートの失敗 (Main, 327 行)"},
        {"a folder", folder.path(), "アサートの失敗 (Main, 327 行)"},
        {"no string block 041103A4", other_block, "アサートの失敗 (Main, 329 行)"},
    };
    for (const auto& c : cases) {
        std::string outcome;
        try {
            outcome = GetVersionString(c.path);
        } catch (const AssertionFailure& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, c.outcome) << c.name;
    }
}

}  // namespace
}  // namespace tavrel::win32
