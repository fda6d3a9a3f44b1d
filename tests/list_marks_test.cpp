#include "app/list_marks.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using Indices = std::vector<std::size_t>;

TEST(ListMarks, RemovalKeepsTheMarksOfTheEntriesThatStay) {
    // Ten entries, marks on 1, 4, 5 and 8; current entry 5, first visible 2.
    const ListMarks before{{1, 4, 5, 8}, 5, 2};
    struct Case {
        const char* name;
        Indices removed;
        std::size_t new_size;
        ListMarks after;
    } cases[] = {
        {"a drop that brings nothing again", {}, 13, {{1, 4, 5, 8}, 5, 2}},
        {"an unmarked entry above goes", {3}, 9, {{1, 3, 4, 7}, 4, 2}},
        {"a marked entry goes", {4}, 9, {{1, 4, 7}, 4, 2}},
        {"the current entry goes: its follower takes over", {5}, 9, {{1, 4, 7}, 5, 2}},
        {"entries below go", {9}, 9, {{1, 4, 5, 8}, 5, 2}},
        {"the first visible entry goes", {0, 2}, 8, {{0, 2, 3, 6}, 3, 1}},
        {"the marked entries go (Delete)", {1, 4, 5, 8}, 6, {{}, 3, 1}},
        {"the last entries go with the current one", {5, 6, 7, 8, 9}, 5, {{1, 4}, 4, 2}},
        {"everything goes", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, {{}, 0, 0}},
        {"everything goes and a batch comes", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, {{}, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MarksAfterRemoval(before, c.removed, c.new_size), c.after) << c.name;
}

TEST(ListMarks, AnEntryAfterRemovalMovesUpOrIsGone) {
    const Indices removed{2, 3, 7};
    EXPECT_EQ(EntryAfterRemoval(1, removed), 1u);
    EXPECT_EQ(EntryAfterRemoval(3, removed), std::nullopt);
    EXPECT_EQ(EntryAfterRemoval(5, removed), 3u);
    EXPECT_EQ(EntryAfterRemoval(9, removed), 6u);
}

TEST(ListMarks, APassTakesTheMarksOfTheEntriesItRewrote) {
    const ListMarks before{{0, 2, 3, 7}, 3, 1};
    struct Case {
        const char* name;
        std::size_t replaced;
        Indices marked;
    } cases[] = {
        {"a whole pass", 8, {}},
        {"a pass that failed at entry 3", 3, {3, 7}},
        {"a pass that failed at once", 0, {0, 2, 3, 7}},
    };
    for (const auto& c : cases) {
        const ListMarks after = MarksAfterPass(before, c.replaced);
        EXPECT_EQ(after.marked, c.marked) << c.name;
        EXPECT_EQ(after.current, 3u) << c.name;
        EXPECT_EQ(after.top, 1u) << c.name;
    }
}

TEST(ListMarks, MarksGoBackAsRunsOfNeighbours) {
    using Runs = std::vector<std::pair<std::size_t, std::size_t>>;
    struct Case {
        const char* name;
        Indices marked;
        Runs runs;
    } cases[] = {
        {"none", {}, {}},
        {"single entries", {0, 2, 9}, {{0, 0}, {2, 2}, {9, 9}}},
        {"neighbours join", {3, 4, 5, 7, 8}, {{3, 5}, {7, 8}}},
    };
    for (const auto& c : cases) EXPECT_EQ(MarkedRuns(c.marked), c.runs) << c.name;

    Indices all(1'000'000);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    EXPECT_EQ(MarkedRuns(all), (Runs{{0, 999'999}}));
}

}  // namespace
}  // namespace tavrel
