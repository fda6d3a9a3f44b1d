#pragma once
// What the main window tells assistive technology beyond what Qt's widgets
// tell by themselves.

#include <QFrame>
#include <QListView>

namespace tavrel {

// Gives the main window the role of a frame (a screen reader follows focus
// only in an application's frames) and the bottom panel (a BottomPanel) that
// of a panel: as a plain QFrame it would be a frame of its own, never active,
// whose controls' focus the reader drops. Installed once; idempotent.
void InstallWindowAccessibility();

// The raised panel along the window's bottom, exposed as a panel.
class BottomPanel final : public QFrame {
    Q_OBJECT

public:
    using QFrame::QFrame;
};

// A list view that tells assistive technology its current row and selection
// only while it holds the keyboard focus: rows the window changes after a
// drop, while the keyboard is on a button, do not move the reader's focus.
class FileListView final : public QListView {
public:
    using QListView::QListView;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
};

}  // namespace tavrel
