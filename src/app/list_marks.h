#pragma once
// The selection marks of the file list, carried across changes of the list the
// way a list box carries them: an entry keeps its mark while it stays in the
// list, wherever it moves; entries that are added come unmarked; an entry that
// is rewritten in place loses its mark. The current entry (the one with the
// focus rectangle) and the first visible entry stay on the entry they were on.
// A window reads its list's marks before a change of the file list and puts
// them back after it; these functions work out where they go.

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace tavrel {

struct ListMarks {
    std::vector<std::size_t> marked;  // ascending, no repeats
    std::size_t current = 0;          // the entry with the focus rectangle
    std::size_t top = 0;              // the first visible entry
    friend bool operator==(const ListMarks&, const ListMarks&) = default;
};

// After the entries at `removed` (ascending, positions before the removal) were
// taken out and `appended` unmarked entries were added at the end, leaving
// `new_size` entries. An entry that stays keeps its mark. A current or top
// entry that was removed hands its role to the entry that took its place (the
// last entry when none did).
ListMarks MarksAfterRemoval(const ListMarks& before, const std::vector<std::size_t>& removed,
                            std::size_t new_size);

// Where one entry is after the entries at `removed` (ascending) were taken
// out: none when it was one of them, else its position moved up past those
// removed before it. For what refers to an entry by its position.
std::optional<std::size_t> EntryAfterRemoval(std::size_t entry,
                                             const std::vector<std::size_t>& removed);

// After a rename pass rewrote the first `replaced` entries in place: they lose
// their marks, the entries after them keep theirs.
ListMarks MarksAfterPass(const ListMarks& before, std::size_t replaced);

// The marked entries as runs of neighbours, first and last of each run, so a
// selection of a million neighbours is put back in one step.
std::vector<std::pair<std::size_t, std::size_t>> MarkedRuns(const std::vector<std::size_t>& marked);

}  // namespace tavrel
