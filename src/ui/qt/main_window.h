#pragma once
// The main window in Qt: the file list, the stamp-type selector, Execute and
// Clear. It is a view of the window model: its events go to the model, and it
// draws what the model tells it.

#include <QWidget>
#include <string>
#include <vector>

#include "app/rename_session.h"
#include "app/window_model.h"
#include "ui/qt/window_font.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QTimer;

namespace tavrel {

class ErrorReporter;
class FileListModel;

// What the window works with, passed in so tests can give their own.
struct MainWindowServices {
    RenameSession& session;
    // The program file: the source of the version text and the application title.
    std::string executable_path;
    ErrorReporter& errors;
    // This machine's host name: dropped file URLs that name it are local files.
    std::string host_name = {};
    // Font files to load for the window's font (see WindowFont).
    std::vector<std::string> font_files = TahomaMetricFontFiles();
};

class MainWindow final : public QWidget, private WindowView {
    Q_OBJECT

public:
    // Builds the window hidden, with its controls at their design places (see
    // window_layout.h).
    explicit MainWindow(MainWindowServices services);
    ~MainWindow() override;

    WindowModel& model() { return model_; }

    // The controls; public for tests, as a designer form's are.
    QListView* file_list = nullptr;
    QFrame* bottom_panel = nullptr;
    QLabel* stamp_type_label = nullptr;
    QComboBox* stamp_type_selector = nullptr;
    QPushButton* execute_button = nullptr;
    QPushButton* clear_button = nullptr;
    // The file list's context menu and its date-taken item.
    QMenu* list_menu = nullptr;
    QAction* date_taken_item = nullptr;

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
    // What the model asks of the window.
    void ShowTitle(const std::string& title) override;
    void ShowButtonCaptions(const std::string& execute, const std::string& clear) override;
    Size PanelSize() const override;
    Size ExecuteButtonSize() const override;
    Size ClearButtonSize() const override;
    void MoveButtons(const ButtonPlaces& places) override;
    ListMarks ReadMarks() const override;
    std::size_t ShowList(const ListUpdate& update) override;
    void ShowStampType(int stamp_type) override;
    int ChosenStampType() const override;
    void ShowDateTaken(bool on) override;
    void ShowError(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    void TickWhileWorking(bool working) override;
    void WakeFromWorker() override;
    void ShowProgress(const std::optional<WorkProgress>& progress) override;

    void BuildControls();
    void UpdateMinimumSize();
    // Opens the list's context menu at a point of the list's viewport.
    void OpenListMenu(const QPoint& at);

    MainWindowServices services_;
    WindowModel model_;
    FileListModel* list_model_ = nullptr;
    QTimer* work_timer_ = nullptr;
    // The rows the list view was last given.
    int shown_rows_ = 0;
    // Whether the drag now hovering brings a local path, read once as it
    // enters: a drag of smb:// or sftp:// locations only is refused before
    // it is dropped.
    bool drag_brings_local_path_ = false;
};

}  // namespace tavrel
