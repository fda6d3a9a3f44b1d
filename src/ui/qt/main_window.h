#pragma once
// The main window in Qt: the file list, the stamp-type selector, Execute and
// Clear. It is a view of the window model: its events go to the model, and it
// draws what the model tells it.

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "app/rename_session.h"
#include "app/window_model.h"
#include "ui/qt/drop_decoder.h"
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
class RemotePathMapper;

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
    // What gives dropped network locations (smb://, sftp://) a path; none
    // when null.
    RemotePathMapper* path_mapper = nullptr;
};

class MainWindow final : public QWidget, private WindowView {
    Q_OBJECT

public:
    // Builds the window hidden, with its controls at their places in the base
    // layout (window_layout.h).
    explicit MainWindow(MainWindowServices services);
    ~MainWindow() override;

    WindowModel& model() { return model_; }

    // The controls; public so that the window's tests can read and press them.
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
    void changeEvent(QEvent* event) override;
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
    void Announce(const std::string& text) override;

    void BuildControls();
    // The keys that add files and close the window.
    void BuildShortcuts();
    // Ctrl+V: the files or paths on the clipboard, added as a drop.
    void PasteFiles();
    // Ctrl+O: files chosen in the system's file dialog; with `folder`, one folder.
    void OpenFiles(bool folder);
    void UpdateMinimumSize();
    // Opens the list's context menu at a point of the list's viewport.
    void OpenListMenu(const QPoint& at);
    // Names the locations a drop or a paste brought no path for, in a message
    // box shown once the drop is over (the drag's source waits for its end).
    void ReportRefused(const std::vector<RefusedUri>& refused);

    MainWindowServices services_;
    WindowModel model_;
    FileListModel* list_model_ = nullptr;
    QTimer* work_timer_ = nullptr;
    // The rows the list view was last given.
    int shown_rows_ = 0;
    DropDecoder drop_decoder_;
    // Whether the drag now hovering may bring a path, read once as it
    // enters: a drag of network locations only, with nothing to map them,
    // is refused before it is dropped.
    bool drag_may_bring_paths_ = false;
    // The control whose accessible description carries the last outcome.
    QPointer<QWidget> announcer_;
    // An outcome met while the window was inactive, told once it is active.
    QString pending_announcement_;
};

}  // namespace tavrel
