// Names beyond ASCII on Windows: non-BMP and Japanese characters pass the walk,
// the sort, the stamp and the rename unchanged, and stamps count characters in
// UTF-16 code units as Windows does.

#include <gtest/gtest.h>
#include <windows.h>

#include "collect/collect_directory.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/wtf8.h"
#include "stamp/stamp_file.h"
#include "stamp/stamp_text.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

using test::MakeDirectory;
using test::MakeFile;
using test::Names;
using test::TempDir;
using test::UtcSeconds;

TEST(Names, NonBmpAndJapaneseNamesAreWalkedAndStamped) {
    TempDir dir;
    MakeDirectory(dir / "𠮷野家");
    const std::vector<std::string> names = {"😀写真.jpg", "𠮷野家\\𝄞.mp3", "𠀀𠀀𠀀𠀀_x.txt"};
    for (const auto& name : names) MakeFile(dir / name, UtcSeconds(2011, 9, 14, 5, 25, 37));
    Win32FileSystem file_system;
    PendingList pending;
    CollectDirectory(dir.path(), pending, file_system);
    std::sort(pending.begin(), pending.end());
    std::vector<std::string> expected;
    for (const auto& name : names) expected.push_back(dir / name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(pending, expected);

    PerformanceCounterClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const StampContext context{file_system, formats, clock};
    for (const auto& path : pending) StampFile(path, 1, context);
    // Sorted by bytes: U+1F600 before U+20000.
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"20110914_😀写真.jpg",
                                                           "20110914_𠀀𠀀𠀀𠀀_x.txt", "𠮷野家"}));
    EXPECT_EQ(Names(dir / "𠮷野家"), std::vector<std::string>{"20110914_𝄞.mp3"});
}

// A name holding a lone surrogate (which Windows allows) passes the walk, the
// stamp and the rename as the same UTF-16 text.
TEST(Names, LoneSurrogatesRoundTrip) {
    TempDir dir;
    const std::wstring name =
        L"a\xD800"
        L"b.jpg";
    const std::wstring path = FromWtf8(dir.path()) + L"\\" + name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "this file system cannot hold a lone surrogate (error " << ::GetLastError()
                     << ")";
    ::CloseHandle(file);
    test::MakeFile(ToWtf8(path), UtcSeconds(2011, 9, 14));
    Win32FileSystem file_system;
    PendingList pending;
    CollectDirectory(dir.path(), pending, file_system);
    ASSERT_EQ(pending, PendingList{ToWtf8(path)});
    PerformanceCounterClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const std::string renamed = StampFile(pending[0], 1, StampContext{file_system, formats, clock});
    EXPECT_EQ(FromWtf8(renamed), FromWtf8(dir.path()) + L"\\20110914_" + name);
    EXPECT_NE(::GetFileAttributesW(FromWtf8(renamed).c_str()), INVALID_FILE_ATTRIBUTES);
}

// Whether a name is analysed depends on its length in UTF-16 code units: with
// the short stamp of "d/M/yy", "14911__写" (8 units, 10 UTF-8 bytes) is too
// short for the already-stamped test and is stamped like any other name.
TEST(Names, AnalysisCountsUtf16CodeUnits) {
    TempDir dir;
    RegionalFormats formats = RegionalFormats::Reference();
    formats.short_date_pattern = "d/M/yy";
    struct Case {
        const char* name;
        const char* after;
    } cases[] = {
        {"14911__写.txt", "14911_14911__写.txt"},
        {"14911__写真写真.txt", "14911__写真写真.txt"},  // 9 units: already stamped
        {"𠀀𠀀𠀀𠀀.txt", "14911_𠀀𠀀𠀀𠀀.txt"},
    };
    Win32FileSystem file_system;
    PerformanceCounterClock clock;
    const StampContext context{file_system, formats, clock};
    for (const auto& c : cases) {
        MakeFile(dir / c.name, UtcSeconds(2011, 9, 14));
        EXPECT_EQ(StampFile(dir / c.name, 1, context), dir / c.after) << c.name;
    }
}

// No character that Windows forbids in names survives in a stamp. (With one
// date field only, the passes take the "-" and the hour as fields 1 and 2.)
TEST(Names, ForbiddenCharactersInAStampBecomeDashes) {
    struct Case {
        const char* name;
        const char* pattern;
        const char* date_separator;
        const char* stamp;
    } cases[] = {
        {"SeparatorBar", "yyyy/MM/dd", "|", "2011-09-14-5_"},
        {"Backslash", "yyyy\\MM\\dd", "/", "2011-09-14-5_"},
        {"StarAndQuestionMark", "yyyy*MM?dd", "/", "2011-09-14-5_"},
        {"AngleBrackets", "<yyyy>MMdd", "/", "-2011-0914-5_"},
        {"QuotedQuoteMark", "yyyy'\"'MMdd", "/", "2011-0914-5_"},
    };
    const StampTime time{2011, 9, 14, 5, 25, 36, 3};
    for (const auto& c : cases) {
        RegionalFormats formats = RegionalFormats::Reference();
        formats.short_date_pattern = c.pattern;
        formats.date_separator = c.date_separator;
        EXPECT_EQ(StampTextFor(time, 1, formats), c.stamp) << c.name;
    }
}

}  // namespace
}  // namespace tavrel::win32
