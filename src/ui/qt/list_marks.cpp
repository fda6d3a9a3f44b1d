#include "ui/qt/list_marks.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

namespace tavrel {
namespace {

// How many of the removed positions lie below the row (or at it, with `at`).
int RemovedBefore(const std::vector<std::size_t>& removed, int row, bool at) {
    const auto position = static_cast<std::size_t>(row);
    const auto end = at ? std::upper_bound(removed.begin(), removed.end(), position)
                        : std::lower_bound(removed.begin(), removed.end(), position);
    return static_cast<int>(end - removed.begin());
}

}  // namespace

ListMarks::ListMarks(const QAbstractItemView& view) {
    const QItemSelectionModel* selection = view.selectionModel();
    if (selection == nullptr) return;
    for (const QItemSelectionRange& range : selection->selection())
        ranges_.emplace_back(range.top(), range.bottom());
    if (const QModelIndex current = selection->currentIndex(); current.isValid())
        current_ = current.row();
}

void ListMarks::RestoreAfterRemoving(QAbstractItemView& view,
                                     const std::vector<std::size_t>& removed) const {
    QAbstractItemModel* model = view.model();
    QItemSelectionModel* selection = view.selectionModel();
    if (model == nullptr || selection == nullptr) return;
    const int rows = model->rowCount();
    // The rows of a marked stretch that stay come together: each gap a removed
    // row leaves closes up, so a stretch stays one stretch, or goes.
    QItemSelection marks;
    for (const auto& [first, last] : ranges_) {
        const int new_first = first - RemovedBefore(removed, first, false);
        const int new_last = std::min(last - RemovedBefore(removed, last, true), rows - 1);
        if (new_first <= new_last)
            marks.select(model->index(new_first, 0), model->index(new_last, 0));
    }
    if (current_ >= 0 && rows > 0) {
        const int row = std::min(current_ - RemovedBefore(removed, current_, false), rows - 1);
        selection->setCurrentIndex(model->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    if (!marks.isEmpty()) selection->select(marks, QItemSelectionModel::Select);
}

}  // namespace tavrel
