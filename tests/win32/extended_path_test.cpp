#include "platform/win32/extended_path.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/wtf8.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

TEST(ExtendedPath, EveryFormBecomesOneAbsoluteExtendedPath) {
    struct Case {
        const char* name;
        std::wstring path;
        std::wstring current;
        std::wstring extended;
    } cases[] = {
        {"drive path", L"C:\\Photos\\a.jpg", L"D:\\x", L"\\\\?\\C:\\Photos\\a.jpg"},
        {"drive root", L"C:\\", L"D:\\x", L"\\\\?\\C:\\"},
        {"UNC path", L"\\\\nas\\share\\Camera Roll\\a.jpg", L"C:\\x",
         L"\\\\?\\UNC\\nas\\share\\Camera Roll\\a.jpg"},
        {"UNC share alone", L"\\\\nas\\share", L"C:\\x", L"\\\\?\\UNC\\nas\\share\\"},
        {"UNC with forward slashes", L"//nas/share/a/../b.jpg", L"C:\\x",
         L"\\\\?\\UNC\\nas\\share\\b.jpg"},
        {"UNC .. stops at the share", L"\\\\nas\\share\\..\\..\\b.jpg", L"C:\\x",
         L"\\\\?\\UNC\\nas\\share\\b.jpg"},
        {"relative", L"a\\b.jpg", L"C:\\Users\\me", L"\\\\?\\C:\\Users\\me\\a\\b.jpg"},
        {"relative to a share", L"b.jpg", L"\\\\nas\\share\\dir",
         L"\\\\?\\UNC\\nas\\share\\dir\\b.jpg"},
        {"relative to an extended folder", L"b.jpg", L"\\\\?\\C:\\dir", L"\\\\?\\C:\\dir\\b.jpg"},
        {"relative to an extended share", L"b.jpg", L"\\\\?\\UNC\\nas\\share\\dir",
         L"\\\\?\\UNC\\nas\\share\\dir\\b.jpg"},
        {"dot", L".\\a.jpg", L"C:\\dir", L"\\\\?\\C:\\dir\\a.jpg"},
        {"dot alone", L".", L"C:\\dir", L"\\\\?\\C:\\dir"},
        {"dot dot", L"..\\a.jpg", L"C:\\dir\\sub", L"\\\\?\\C:\\dir\\a.jpg"},
        {"dot dot stops at the root", L"..\\..\\..\\a.jpg", L"C:\\dir", L"\\\\?\\C:\\a.jpg"},
        {"dot and dot dot inside", L"C:\\a\\.\\b\\..\\c.jpg", L"D:\\x", L"\\\\?\\C:\\a\\c.jpg"},
        {"forward slashes", L"C:/Photos/2011/a.jpg", L"D:\\x", L"\\\\?\\C:\\Photos\\2011\\a.jpg"},
        {"runs of separators", L"C:\\a\\\\/b.jpg", L"D:\\x", L"\\\\?\\C:\\a\\b.jpg"},
        {"rooted", L"\\Photos\\a.jpg", L"C:\\dir", L"\\\\?\\C:\\Photos\\a.jpg"},
        {"rooted on a share", L"\\a.jpg", L"\\\\nas\\share\\dir", L"\\\\?\\UNC\\nas\\share\\a.jpg"},
        {"drive-relative, same drive", L"c:a.jpg", L"C:\\dir", L"\\\\?\\C:\\dir\\a.jpg"},
        {"drive-relative, other drive", L"D:a.jpg", L"C:\\dir", L"\\\\?\\D:\\a.jpg"},
        {"drive alone", L"C:", L"C:\\dir", L"\\\\?\\C:\\dir"},
        {"already extended", L"\\\\?\\C:\\a\\..\\b/c", L"D:\\x", L"\\\\?\\C:\\a\\..\\b/c"},
        {"already extended UNC", L"\\\\?\\UNC\\nas\\s\\a", L"D:\\x", L"\\\\?\\UNC\\nas\\s\\a"},
        {"device path", L"\\\\.\\COM1", L"D:\\x", L"\\\\.\\COM1"},
        {"trailing separator", L"C:\\Photos\\", L"D:\\x", L"\\\\?\\C:\\Photos\\"},
        {"trailing forward slash", L"sub/", L"C:\\dir", L"\\\\?\\C:\\dir\\sub\\"},
        {"names with spaces and dots", L"my photos\\ a b .jpg", L"C:\\My Documents",
         L"\\\\?\\C:\\My Documents\\my photos\\ a b .jpg"},
        {"name ending in a space", L"C:\\a \\b. ", L"D:\\x", L"\\\\?\\C:\\a \\b. "},
        {"empty", L"", L"C:\\dir", L""},
        {"relative without a current folder", L"a.jpg", L"", L"a.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtendedLengthPath(c.path, c.current), c.extended) << c.name;
}

// The wrapper reads the process's current folder; a long relative path comes
// out whole.
TEST(ExtendedPath, RelativePathsContinueTheProcesssCurrentFolder) {
    test::TempDir dir;
    const std::wstring folder = FromWtf8(dir.path());
    wchar_t previous[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    const std::wstring deep = std::wstring(300, L'd') + L"\\a.jpg";
    const std::wstring extended = ExtendedLengthPath(L"sub\\..\\" + deep);
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(extended, ExtendedLengthPath(folder + L"\\" + deep, L""));
    EXPECT_EQ(extended.substr(0, 4), L"\\\\?\\");
}

}  // namespace
}  // namespace tavrel::win32
