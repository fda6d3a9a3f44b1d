#pragma once
// How the window reports errors: a message box with an error icon and an OK
// button; and how it asks a question, with Yes and No. The reporter is passed in, so tests can read
// what would be shown.

#include <QString>

class QWidget;

namespace tavrel {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    // Shows the text under the title and returns when the user has dismissed it.
    // The owner may be null (no window yet).
    virtual void ShowError(QWidget* owner, const QString& title, const QString& text) = 0;
    // Asks the question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(QWidget* /*owner*/, const QString& /*title*/, const QString& /*text*/) {
        return false;
    }
};

// The real thing: a modal QMessageBox.
class MessageBoxReporter final : public ErrorReporter {
public:
    void ShowError(QWidget* owner, const QString& title, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& title, const QString& text) override;
};

}  // namespace tavrel
