// Names beyond ASCII on Windows: non-BMP and Japanese characters pass the walk,
// the sort, the stamp and the rename unchanged, and stamps count characters in
// UTF-16 code units as Windows does.

#include <gtest/gtest.h>
#include <windows.h>

#include "collect/collect_directory.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/win32_file_system.h"
#include "stamp/stamp_file.h"
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

}  // namespace
}  // namespace tavrel::win32
