#include "platform/win32/extended_path.h"

#include <gtest/gtest.h>

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
        {"UNC with forward slashes", L"//nas/share/a/../b.jpg", L"C:\\x",
         L"\\\\?\\UNC\\nas\\share\\b.jpg"},
        {"relative", L"a\\b.jpg", L"C:\\Users\\me", L"\\\\?\\C:\\Users\\me\\a\\b.jpg"},
        {"relative to an extended folder", L"b.jpg", L"\\\\?\\C:\\dir", L"\\\\?\\C:\\dir\\b.jpg"},
        {"dot dot", L"..\\a.jpg", L"C:\\dir\\sub", L"\\\\?\\C:\\dir\\a.jpg"},
        {"dot dot stops at the root", L"..\\..\\..\\a.jpg", L"C:\\dir", L"\\\\?\\C:\\a.jpg"},
        {"dot and dot dot inside", L"C:\\a\\.\\b\\..\\c.jpg", L"D:\\x", L"\\\\?\\C:\\a\\c.jpg"},
        {"forward slashes", L"C:/Photos/2011/a.jpg", L"D:\\x", L"\\\\?\\C:\\Photos\\2011\\a.jpg"},
        {"rooted", L"\\Photos\\a.jpg", L"C:\\dir", L"\\\\?\\C:\\Photos\\a.jpg"},
        {"drive-relative, same drive", L"c:a.jpg", L"C:\\dir", L"\\\\?\\C:\\dir\\a.jpg"},
        {"drive-relative, other drive", L"D:a.jpg", L"C:\\dir", L"\\\\?\\D:\\a.jpg"},
        {"already extended", L"\\\\?\\C:\\a\\..\\b/c", L"D:\\x", L"\\\\?\\C:\\a\\..\\b/c"},
        {"device path", L"\\\\.\\COM1", L"D:\\x", L"\\\\.\\COM1"},
        {"trailing separator", L"C:\\Photos\\", L"D:\\x", L"\\\\?\\C:\\Photos\\"},
        {"names with spaces and dots", L"my photos\\ a b .jpg", L"C:\\My Documents",
         L"\\\\?\\C:\\My Documents\\my photos\\ a b .jpg"},
        {"name ending in a space", L"C:\\a \\b. ", L"D:\\x", L"\\\\?\\C:\\a \\b. "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtendedLengthPath(c.path, c.current), c.extended) << c.name;
}

}  // namespace
}  // namespace tavrel::win32
