#include "platform/win32/win32_text_ordering.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "collect/batch_merge.h"
#include "collect/file_list.h"

namespace tavrel::win32 {
namespace {

// The batch sort keys must order paths as CompareStringW does.
TEST(TextOrdering, SortKeysOrderAsCompareStringW) {
    const std::vector<std::string> paths = {
        "C:\\photos\\B.txt",        "C:\\photos\\a.txt",        "C:\\photos\\A\\c.txt",
        "C:\\photos\\b.txt",        "C:\\photos\\ä.txt",        "C:\\photos\\z.txt",
        "C:\\photos\\10.jpg",       "C:\\photos\\9.jpg",        "C:\\photos\\写真.jpg",
        "C:\\photos\\しゃしん.jpg", "C:\\photos\\シャシン.jpg", "C:\\photos\\_x.txt",
        "C:\\photos\\-x.txt",       "C:\\photos\\😀.txt",        "C:\\Photos\\a.txt",
    };
    Win32TextOrdering ordering;
    PendingList by_keys = paths;
    SortBatch(by_keys, ordering);
    for (std::size_t i = 1; i < by_keys.size(); ++i)
        EXPECT_LE(CompareUserLocale(by_keys[i - 1], by_keys[i]), 0)
            << by_keys[i - 1] << " before " << by_keys[i];
    for (const auto& path : paths) EXPECT_EQ(ordering.SortKey(path).find('\0'), std::string::npos);
}

TEST(TextOrdering, CaseIsIgnoredForDuplicatesAndOrder) {
    Win32TextOrdering ordering;
    EXPECT_EQ(ordering.FoldKey("C:\\Photos\\IMG.JPG"), ordering.FoldKey("c:\\photos\\img.jpg"));
    EXPECT_EQ(ordering.FoldKey("C:\\Ä.txt"), ordering.FoldKey("c:\\ä.TXT"));
    EXPECT_NE(ordering.FoldKey("C:\\a.txt"), ordering.FoldKey("C:\\b.txt"));
    EXPECT_NE(ordering.FoldKey("C:\\a.txt"), ordering.FoldKey("C:\\a.txt.bak"));
    EXPECT_LT(ordering.SortKey("a.txt"), ordering.SortKey("B.txt"));
    // A path dropped again in other letter case replaces its old entry.
    FileList list(ordering);
    PendingList first = {"C:\\x\\One.jpg", "C:\\x\\two.jpg"};
    SortBatch(first, ordering);
    MergeSortedBatch(list, first);
    PendingList second = {"C:\\X\\ONE.JPG"};
    MergeSortedBatch(list, second);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], "C:\\x\\two.jpg");
    EXPECT_EQ(list[1], "C:\\X\\ONE.JPG");
}

}  // namespace
}  // namespace tavrel::win32
