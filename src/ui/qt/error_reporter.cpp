#include "ui/qt/error_reporter.h"

#include <QMessageBox>

namespace tavrel {

void MessageBoxReporter::ShowError(QWidget* owner, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace tavrel
