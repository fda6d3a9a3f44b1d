#pragma once
// The main window: the file list, the stamp-type selector, Execute and Clear.
// The window is thin: each handler calls the rename session and refreshes the
// controls; an error in a handler is shown in a message box and the window goes
// on (the window's default error handling).

#include <QWidget>
#include <string>
#include <vector>

#include "app/rename_session.h"

class QComboBox;
class QFrame;
class QLabel;
class QListView;
class QPushButton;

namespace tavrel {

class ErrorReporter;
class FileListModel;

// What the window works with, passed in so tests can give their own.
struct WindowServices {
    RenameSession& session;
    // The program file: the source of the version text and the application title.
    std::string executable_path;
    ErrorReporter& errors;
};

class TFormMain final : public QWidget {
    Q_OBJECT

public:
    // The window's design: client size, bottom panel height, the minimum outer size.
    static constexpr QSize kDesignClientSize{414, 248};
    static constexpr int kPanelHeight = 41;
    static constexpr QSize kMinimumOuterSize{430, 200};
    // The frame around the design client area (outer 430 x 287).
    static constexpr QSize kDesignFrameSize{16, 39};
    static constexpr int kTooltipWakeUpMs = 500;
    static constexpr int kTooltipDurationMs = 2500;

    // Builds the window hidden, with its controls as designed.
    explicit TFormMain(WindowServices services);
    ~TFormMain() override;

    // Resets the controls from the session's InitForm (stamp type from the
    // settings file, empty list). Returns InitForm's result: -1 for window mode.
    int InitForm();

    // The handlers. Each one reports an error through the default error handling
    // and returns whether it ran to its end.
    bool FormShow();
    bool FormClose();
    bool ButtonExecuteClick();
    bool ButtonClearClick();
    bool ListBoxFileListKeyDown(int key);
    bool WMDropFiles(const std::vector<std::string>& paths);

    // The smallest client size: the outer size stays at least 430 x 200 with a
    // frame of the given size, but the minimum never exceeds what it is with the
    // design frame (414 x 161), so a thin or missing frame cannot push the window
    // beyond its design size.
    static QSize MinimumClientSize(QSize frame);

    // The controls, named as designed; public for tests, as a designer form's are.
    QListView* ListBoxFileList = nullptr;
    QFrame* PanelBottom = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBoxType = nullptr;
    QPushButton* ButtonExecute = nullptr;
    QPushButton* ButtonClear = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    // Runs one handler's steps; an error skips the rest and is shown in a box.
    template <typename Steps>
    bool Guarded(Steps steps);
    void ShowDefaultError(const std::string& message);
    // Shows the session's stamp type in the selector.
    void ShowStampType();
    void UpdateMinimumSize();
    // Keeps the buttons at their distance from the panel's right and bottom edges.
    void AnchorButtons(QSize old_panel_size, QSize new_panel_size);

    WindowServices services_;
    FileListModel* model_ = nullptr;
};

}  // namespace tavrel
