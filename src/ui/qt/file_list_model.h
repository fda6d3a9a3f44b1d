#pragma once
// Shows the session's file list in a list view. The list itself stays in the
// core; this model only reads it, so a list of a million entries costs the view
// nothing until rows are painted.

#include <QAbstractListModel>

#include "collect/file_list.h"

namespace tavrel {

class FileListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    // The height of one line of the list, in device-independent pixels.
    static constexpr int kLineHeight = 13;

    FileListModel(const FileList& list, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The entry's bytes decoded leniently as UTF-8 for display; the entry keeps
    // its raw bytes.
    QVariant data(const QModelIndex& index, int role) const override;

    // Brackets a change that may add or remove entries: the view forgets rows,
    // selection and current item and reads the list again when the change ends,
    // also when it ends by an error.
    class Change {
    public:
        explicit Change(FileListModel& model);
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        FileListModel& model_;
    };

    // Tells the view that entry texts changed in place (the rows stay).
    void TextsChanged();

private:
    const FileList& list_;
};

}  // namespace tavrel
