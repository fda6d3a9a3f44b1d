#include "ui/qt/window_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace tavrel {
namespace {

QAccessibleInterface* WindowAccessibleFactory(const QString& class_name, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (class_name == QLatin1String("tavrel::MainWindow"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (class_name == QLatin1String("tavrel::BottomPanel"))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    return nullptr;
}

}  // namespace

void InstallWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(WindowAccessibleFactory);
        return true;
    }();
    (void)installed;
}

void FileListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // QListView's own step only adds the focus event of the current row.
    if (hasFocus())
        QListView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
}

void FileListView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    // QListView's own step only adds the selection events.
    if (hasFocus())
        QListView::selectionChanged(selected, deselected);
    else
        QAbstractItemView::selectionChanged(selected, deselected);
}

}  // namespace tavrel
