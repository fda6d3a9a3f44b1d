#pragma once
// The selection marks and the current entry of the file list's view, kept
// across a change of the list. The view forgets both when its model is reset,
// as the window does for every change that adds or removes entries; a list box
// keeps the marks of the entries that stay.

#include <cstddef>
#include <utility>
#include <vector>

class QAbstractItemView;

namespace tavrel {

class ListMarks {
public:
    // Takes note of the view's marked rows and current row.
    explicit ListMarks(const QAbstractItemView& view);

    // Marks again, after a change, the rows that stayed: `removed` holds the
    // positions of the rows the change took out, as they were before it,
    // ascending; later rows have moved up past them, and rows appended at the
    // end come unmarked. The current row is the same entry when it stayed;
    // when it was taken out, the entry that now stands at its place (the last
    // one, when it stood at the end), if any.
    void RestoreAfterRemoving(QAbstractItemView& view,
                              const std::vector<std::size_t>& removed) const;

private:
    std::vector<std::pair<int, int>> ranges_;  // first and last row of each marked stretch
    int current_ = -1;                         // -1: no current row
};

}  // namespace tavrel
