#include "ui/qt/file_list_model.h"

#include <QSize>
#include <algorithm>
#include <climits>

namespace tavrel {

FileListModel::FileListModel(const FileList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    // A list view counts rows in int; entries beyond that are not shown.
    return static_cast<int>(std::min<std::size_t>(list_.size(), INT_MAX));
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.size()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const std::string& path = list_[static_cast<std::size_t>(index.row())];
            return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
        }
        case Qt::SizeHintRole:
            return QSize(0, kLineHeight);
        default:
            return {};
    }
}

FileListModel::Change::Change(FileListModel& model) : model_(model) {
    model_.beginResetModel();
}

FileListModel::Change::~Change() {
    model_.endResetModel();
}

void FileListModel::TextsChanged() {
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0), index(rows - 1), {Qt::DisplayRole});
}

}  // namespace tavrel
