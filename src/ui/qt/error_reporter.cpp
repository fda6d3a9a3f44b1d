#include "ui/qt/error_reporter.h"

#include <QMessageBox>

namespace tavrel {

void MessageBoxReporter::ShowError(QWidget* owner, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QString WindowErrorText(const std::string& message) {
    QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    if (!text.isEmpty() && text.back().unicode() > u'.') text += u'.';
    return text;
}

QString ApplicationTitle(const std::string& executable_path) {
    const std::string name = executable_path.substr(executable_path.find_last_of('/') + 1);
    const QString stem = QString::fromUtf8(name.substr(0, name.find('.')));
    if (stem.isEmpty()) return stem;
    // The first character is kept as it is; a surrogate pair counts as one.
    const qsizetype first = stem.front().isHighSurrogate() && stem.size() > 1 ? 2 : 1;
    return stem.left(first) + stem.mid(first).toLower();
}

}  // namespace tavrel
