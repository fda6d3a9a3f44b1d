#include "platform/win32/wtf8.h"

#include <gtest/gtest.h>

namespace tavrel::win32 {
namespace {

TEST(Wtf8, EveryUtf16TextRoundTrips) {
    struct Case {
        const char* name;
        std::wstring utf16;
        std::string wtf8;
    } cases[] = {
        {"Ascii", L"IMG_0001.jpg", "IMG_0001.jpg"},
        {"Japanese", L"\x5199\x771F.jpg", "写真.jpg"},
        {"NonBmpPair", L"\xD83D\xDE00.txt", "\xF0\x9F\x98\x80.txt"},
        {"LoneHigh",
         L"a\xD800"
         L"b",
         "a\xED\xA0\x80"
         "b"},
        {"LoneLowAtEnd", L"a\xDC00", "a\xED\xB0\x80"},
        {"LowBeforeHigh", L"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
        {"Empty", L"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToWtf8(c.utf16), c.wtf8) << c.name;
        EXPECT_EQ(FromWtf8(c.wtf8), c.utf16) << c.name;
    }
}

TEST(Wtf8, BytesThatBeginNoSequenceBecomeReplacementCharacters) {
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring utf16;
    } cases[] = {
        {"LoneContinuation",
         "a\x80"
         "b",
         L"a\xFFFD"
         L"b"},
        {"CutSequence", "a\xE5\x86", L"a\xFFFD\xFFFD"},
        {"Overlong", "\xC0\xAF", L"\xFFFD\xFFFD"},
        {"AboveUnicode", "\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(FromWtf8(c.bytes), c.utf16) << c.name;
}

}  // namespace
}  // namespace tavrel::win32
