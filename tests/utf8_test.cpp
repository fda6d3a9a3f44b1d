#include "base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

// Every boundary of the one decoding rule: the shortest and longest form of
// each length, the overlong forms just below them, surrogates (kept, as WTF-8
// needs them), the end of Unicode, and broken sequences.
TEST(Utf8, DecodesShortestFormsAndRefusesEverythingElse) {
    struct Case {
        const char* name;
        std::string bytes;
        char32_t code_point;
        std::size_t length;  // 0: no valid sequence begins at the first byte
    } cases[] = {
        {"Ascii", "A", U'A', 1},
        {"Nul", std::string(1, '\0'), 0, 1},
        {"TwoBytesLowest", "\xC2\x80", 0x80, 2},
        {"TwoBytesHighest", "\xDF\xBF", 0x7FF, 2},
        {"TwoBytesOverlongC0", "\xC0\xAF", 0, 0},
        {"TwoBytesOverlongC1", "\xC1\xBF", 0, 0},
        {"ThreeBytesLowest", "\xE0\xA0\x80", 0x800, 3},
        {"ThreeBytesOverlong", "\xE0\x9F\xBF", 0, 0},
        {"Japanese", "写", 0x5199, 3},
        {"HighSurrogate", "\xED\xA0\x80", 0xD800, 3},
        {"LowSurrogate", "\xED\xBF\xBF", 0xDFFF, 3},
        {"ThreeBytesHighest", "\xEF\xBF\xBF", 0xFFFF, 3},
        {"FourBytesLowest", "\xF0\x90\x80\x80", 0x10000, 4},
        {"FourBytesOverlong", "\xF0\x8F\xBF\xBF", 0, 0},
        {"EndOfUnicode", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
        {"AboveUnicode", "\xF4\x90\x80\x80", 0, 0},
        {"LeadF5", "\xF5\x80\x80\x80", 0, 0},
        {"LeadFF", "\xFF", 0, 0},
        {"LoneContinuation", "\x80", 0, 0},
        {"CutShort", "\xE5\x86", 0, 0},
        {"ContinuationMissing", "\xE5\x41\x99", 0, 0},
    };
    for (const auto& c : cases) {
        const Utf8Sequence sequence = DecodeUtf8At(c.bytes, 0);
        EXPECT_EQ(sequence.length, c.length) << c.name;
        if (c.length > 0) {
            EXPECT_EQ(sequence.code_point, c.code_point) << c.name;
            // Every valid sequence is what the encoder writes for its code point.
            std::string encoded;
            AppendUtf8(encoded, sequence.code_point);
            EXPECT_EQ(encoded, c.bytes) << c.name;
        }
    }
}

TEST(Utf8, Utf16LengthCountsUnitsAndOneForEveryByteOutsideASequence) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t units;
    } cases[] = {
        {"Empty", "", 0},
        {"Ascii", "IMG_0001", 8},
        {"Japanese", "写真の名前", 5},
        {"PairForFourBytes", "\xF0\x9F\x98\x80.jpg", 6},
        {"LoneSurrogate", "a\xED\xA0\x80", 2},
        {"OverlongThreeBytes", "\xE0\x80\x80", 3},
        {"OverlongFourBytes", "\xF0\x80\x80\x80", 4},
        {"AboveUnicode", "\xF4\x90\x80\x80", 4},
        {"CutAtTheEnd", "ab\xE5\x86", 4},
        {"StrayByteBetween", "\xE5\x86\x99\x80\xE7\x9C\x9F", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16Length(c.text), c.units) << c.name;
}

}  // namespace
}  // namespace tavrel
