#include "app/list_marks.h"

#include <algorithm>

namespace tavrel {
namespace {

// The position an entry that stays takes once the removed entries are gone.
std::size_t Shifted(std::size_t index, const std::vector<std::size_t>& removed) {
    const auto before = std::lower_bound(removed.begin(), removed.end(), index) - removed.begin();
    return index - static_cast<std::size_t>(before);
}

// The position of an entry's role after the removal: its own new position when
// it stays, otherwise that of the entry that took its place.
std::size_t RoleAfterRemoval(std::size_t index, const std::vector<std::size_t>& removed,
                             std::size_t new_size) {
    if (new_size == 0) return 0;
    return std::min(Shifted(index, removed), new_size - 1);
}

}  // namespace

ListMarks MarksAfterRemoval(const ListMarks& before, const std::vector<std::size_t>& removed,
                            std::size_t new_size) {
    ListMarks after;
    after.marked.reserve(before.marked.size());
    // Both lists are ascending: one walk through each.
    auto gone = removed.begin();
    std::size_t removed_below = 0;
    for (const std::size_t index : before.marked) {
        while (gone != removed.end() && *gone < index) {
            ++gone;
            ++removed_below;
        }
        if (gone != removed.end() && *gone == index) continue;
        const std::size_t moved = index - removed_below;
        if (moved < new_size) after.marked.push_back(moved);
    }
    after.current = RoleAfterRemoval(before.current, removed, new_size);
    after.top = RoleAfterRemoval(before.top, removed, new_size);
    return after;
}

std::optional<std::size_t> EntryAfterRemoval(std::size_t entry,
                                             const std::vector<std::size_t>& removed) {
    if (std::binary_search(removed.begin(), removed.end(), entry)) return std::nullopt;
    return Shifted(entry, removed);
}

ListMarks MarksAfterPass(const ListMarks& before, std::size_t replaced) {
    ListMarks after = before;
    const auto first_kept = std::lower_bound(after.marked.begin(), after.marked.end(), replaced);
    after.marked.erase(after.marked.begin(), first_kept);
    return after;
}

std::vector<std::pair<std::size_t, std::size_t>> MarkedRuns(
    const std::vector<std::size_t>& marked) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (const std::size_t index : marked) {
        if (!runs.empty() && runs.back().second + 1 == index)
            runs.back().second = index;
        else
            runs.emplace_back(index, index);
    }
    return runs;
}

}  // namespace tavrel
