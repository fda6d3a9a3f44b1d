#include "ui/qt/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "app/window_texts.h"
#include "platform/posix/version_string.h"
#include "ui/qt/error_reporter.h"
#include "ui/qt/file_list_model.h"
#include "ui/qt/launcher_progress.h"
#include "ui/qt/pasted_paths.h"
#include "ui/qt/window_accessibility.h"
#include "ui/qt/window_font.h"

namespace tavrel {
namespace {

QString Text(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QSize ToQt(Size size) {
    return {size.width, size.height};
}

Size FromQt(QSize size) {
    return {size.width(), size.height()};
}

// The application's style with the list's tooltip timing: shown after the
// pointer has rested for 500 ms. Qt reads the delay from the style of the
// widget under the pointer, so the list's viewport gets this style.
class TooltipTimingStyle final : public QProxyStyle {
public:
    TooltipTimingStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* result) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return base_layout::kTooltipWakeUpMs;
        return QProxyStyle::styleHint(hint, option, widget, result);
    }
};

// The application's style with a narrower arrow button on the stamp-type
// selector. The window was laid out for a desktop whose combo box arrow is 17
// pixels wide; the usual Qt styles take 19 and more, and their text field,
// with its own margins, would then cut "YYYYMMDD-hhmmss_" at the left even in
// a font with Tahoma's metrics. The room goes to the text field instead.
class SelectorStyle final : public QProxyStyle {
public:
    SelectorStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl sub_control, const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, sub_control, widget);
        if (control != CC_ComboBox) return rect;
        if (sub_control == SC_ComboBoxEditField) rect.setRight(rect.right() + kRoomTaken);
        if (sub_control == SC_ComboBoxArrow) rect.setLeft(rect.left() + kRoomTaken);
        return rect;
    }

private:
    static constexpr int kRoomTaken = 6;
};

}  // namespace

MainWindow::MainWindow(MainWindowServices services)
    : services_(std::move(services)),
      model_(WindowModelServices{services_.session, services_.executable_path, GetVersionString},
             *this),
      drop_decoder_(services_.host_name, services_.path_mapper) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QString::fromUtf8(window_text::kCreatedTitle));
    setFont(WindowFont(services_.font_files));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAcceptDrops(true);
    InstallWindowAccessibility();
    BuildControls();
    BuildShortcuts();
    resize(ToQt(base_layout::kClientSize));
    setMinimumSize(ToQt(MinimumClientSize(Size{})));
}

MainWindow::~MainWindow() {
    // The work may wake this window from its thread: it ends first.
    model_.AbandonWork();
}

void MainWindow::BuildControls() {
    const auto place = [](QWidget* control, const Rect& r) {
        control->setGeometry(r.left, r.top, r.width, r.height);
    };
    file_list = new FileListView(this);
    file_list->setObjectName(QStringLiteral("ListBoxFileList"));
    place(file_list, base_layout::kListBox);
    list_model_ = new FileListModel(services_.session.file_list(), this);
    file_list->setModel(list_model_);
    file_list->setUniformItemSizes(true);
    file_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    file_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    file_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    file_list->setTextElideMode(Qt::ElideNone);
    file_list->setToolTip(QString::fromUtf8(window_text::kListTooltip));
    file_list->setToolTipDuration(base_layout::kTooltipDurationMs);
    file_list->setAccessibleName(QString::fromUtf8(window_text::kListAccessibleName));
    file_list->installEventFilter(this);
    auto* tooltip_style = new TooltipTimingStyle;
    tooltip_style->setParent(file_list);
    file_list->viewport()->setStyle(tooltip_style);
    file_list->viewport()->installEventFilter(this);

    bottom_panel = new BottomPanel(this);
    bottom_panel->setObjectName(QStringLiteral("PanelBottom"));
    bottom_panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bottom_panel->setAccessibleName(QString::fromUtf8(window_text::kPanelAccessibleName));
    place(bottom_panel, base_layout::kPanel);
    bottom_panel->installEventFilter(this);

    stamp_type_label = new QLabel(QString::fromUtf8(window_text::kStampTypeLabel), bottom_panel);
    stamp_type_label->setObjectName(QStringLiteral("Label1"));
    QFont bold = font();
    bold.setBold(true);
    stamp_type_label->setFont(bold);
    // The label grows to its text, as a label that sizes itself does: the
    // desktop's font may be wider than the one the base layout fits.
    Rect label = base_layout::kLabel;
    label.width = std::max(label.width, stamp_type_label->sizeHint().width());
    place(stamp_type_label, label);

    stamp_type_selector = new QComboBox(bottom_panel);
    stamp_type_selector->setObjectName(QStringLiteral("ComboBoxType"));
    stamp_type_selector->setEditable(true);
    // Typed text is never stored as an entry: only the three types exist.
    stamp_type_selector->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : window_text::kStampTypeNames)
        stamp_type_selector->addItem(QString::fromUtf8(name));
    place(stamp_type_selector, base_layout::kComboBox);
    // Read as "Stamp Type, combo box"; the label has no mnemonic of its own.
    stamp_type_label->setBuddy(stamp_type_selector);
    auto* selector_style = new SelectorStyle;
    selector_style->setParent(stamp_type_selector);
    stamp_type_selector->setStyle(selector_style);
    ShowStampType(services_.session.stamp_type());
    connect(stamp_type_selector, &QComboBox::currentIndexChanged, this,
            [this](int index) { model_.StampTypeChosen(index); });

    const auto make_button = [&](const char* name, const char* caption, const Rect& r) {
        auto* button = new QPushButton(QString::fromUtf8(caption), bottom_panel);
        button->setObjectName(QString::fromUtf8(name));
        place(button, r);
        // Return and Enter press the focused button, as Space does.
        button->installEventFilter(this);
        return button;
    };
    execute_button = make_button("ButtonExecute", window_text::kCreatedExecuteCaption,
                                 base_layout::kButtonExecute);
    connect(execute_button, &QPushButton::clicked, this, [this] { model_.ExecuteClicked(); });
    clear_button =
        make_button("ButtonClear", window_text::kCreatedClearCaption, base_layout::kButtonClear);
    connect(clear_button, &QPushButton::clicked, this, [this] { model_.ClearClicked(); });

    // Ctrl+Z undoes the last pass; in the selector's text field it undoes
    // typing, as the field takes the key first.
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, [this] { model_.UndoRequested(); });
    // Esc stops long work.
    auto* cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancel, &QShortcut::activated, this, [this] { model_.CancelRequested(); });

    // The list's context menu: the right button opens it through Qt's
    // context-menu event, the Menu key and Shift+F10 through the event filter.
    list_menu = new QMenu(this);
    date_taken_item = list_menu->addAction(QString::fromUtf8(window_text::kDateTakenItem));
    date_taken_item->setCheckable(true);
    connect(date_taken_item, &QAction::triggered, this,
            [this](bool checked) { model_.DateTakenChosen(checked); });
    file_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(file_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        OpenListMenu(file_list->viewport()->mapFrom(file_list, at));
    });

    work_timer_ = new QTimer(this);
    work_timer_->setInterval(kWorkTickMilliseconds);
    connect(work_timer_, &QTimer::timeout, this, [this] { model_.WorkTick(); });

    // The list first, then the panel's buttons and the selector.
    setTabOrder(file_list, execute_button);
    setTabOrder(execute_button, clear_button);
    setTabOrder(clear_button, stamp_type_selector);
}

void MainWindow::BuildShortcuts() {
    const auto on_key = [this](const QKeySequence& key, auto action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, action);
    };
    // Ctrl+V and Shift+Insert; in the selector's text field they paste text,
    // as the field takes them first.
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Paste))
        on_key(key, [this] { PasteFiles(); });
    on_key(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OpenFiles(false); });
    on_key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] { OpenFiles(true); });
    // Closed as by the window manager's close: the settings written, work stopped.
    for (const auto key : {Qt::Key_W, Qt::Key_Q})
        on_key(QKeySequence(Qt::CTRL | key), [this] { close(); });
}

void MainWindow::PasteFiles() {
    if (model_.Working()) return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const DroppedItems pasted = data ? PastedItems(*data, drop_decoder_) : DroppedItems{};
    model_.FilesPasted(pasted.paths);
    ReportRefused(pasted.refused);
}

void MainWindow::OpenFiles(bool folder) {
    if (model_.Working()) return;
    QStringList chosen;
    if (folder) {
        const QString path = QFileDialog::getExistingDirectory(
            this, QString::fromUtf8(window_text::kAddFolderTitle));
        if (!path.isEmpty()) chosen.push_back(path);
    } else {
        chosen =
            QFileDialog::getOpenFileNames(this, QString::fromUtf8(window_text::kAddFilesTitle));
    }
    if (chosen.isEmpty()) return;  // cancelled
    std::vector<std::string> paths;
    for (const QString& path : chosen) paths.push_back(QFile::encodeName(path).toStdString());
    model_.FilesPasted(paths);
}

void MainWindow::UpdateMinimumSize() {
    setMinimumSize(ToQt(MinimumClientSize(FromQt(frameGeometry().size() - geometry().size()))));
}

void MainWindow::ShowTitle(const std::string& title) {
    setWindowTitle(Text(title));
}

void MainWindow::ShowButtonCaptions(const std::string& execute, const std::string& clear) {
    execute_button->setText(Text(execute));
    clear_button->setText(Text(clear));
}

Size MainWindow::PanelSize() const {
    return FromQt(bottom_panel->size());
}

Size MainWindow::ExecuteButtonSize() const {
    return FromQt(execute_button->size());
}

Size MainWindow::ClearButtonSize() const {
    return FromQt(clear_button->size());
}

void MainWindow::MoveButtons(const ButtonPlaces& places) {
    execute_button->move(places.execute.x, places.execute.y);
    clear_button->move(places.clear.x, places.clear.y);
}

ListMarks MainWindow::ReadMarks() const {
    ListMarks marks;
    const QItemSelectionModel* selection = file_list->selectionModel();
    // Stretch by stretch: no index object for each of a million marked rows.
    for (const QItemSelectionRange& range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            marks.marked.push_back(static_cast<std::size_t>(row));
    std::sort(marks.marked.begin(), marks.marked.end());
    marks.marked.erase(std::unique(marks.marked.begin(), marks.marked.end()), marks.marked.end());
    if (const QModelIndex current = selection->currentIndex(); current.isValid())
        marks.current = static_cast<std::size_t>(current.row());
    if (const QModelIndex top = file_list->indexAt(QPoint(0, 0)); top.isValid())
        marks.top = static_cast<std::size_t>(top.row());
    return marks;
}

std::size_t MainWindow::ShowList(const ListUpdate& update) {
    const bool same_rows =
        !update.reset && update.removed.empty() && list_model_->rowCount() == shown_rows_;
    if (!same_rows) {
        // The view forgets rows, marks and the current entry and reads the
        // list again.
        FileListModel::Change change(*list_model_);
        shown_rows_ = list_model_->rowCount();
    } else if (update.rewritten > 0) {
        list_model_->TextsChanged();
    }
    QItemSelectionModel* selection = file_list->selectionModel();
    const int rows = list_model_->rowCount();
    QItemSelection marks;
    for (const auto& [first, last] : MarkedRuns(update.marks.marked)) {
        if (first >= static_cast<std::size_t>(rows)) break;
        marks.select(list_model_->index(static_cast<int>(first)),
                     list_model_->index(static_cast<int>(std::min<std::size_t>(last, rows - 1))));
    }
    selection->select(marks, QItemSelectionModel::ClearAndSelect);
    if (rows > 0) {
        const auto row = [rows](std::size_t index) {
            return static_cast<int>(std::min<std::size_t>(index, rows - 1));
        };
        selection->setCurrentIndex(list_model_->index(row(update.marks.current)),
                                   QItemSelectionModel::NoUpdate);
        file_list->scrollTo(list_model_->index(row(update.marks.top)),
                            QAbstractItemView::PositionAtTop);
    }
    // The view reads every entry from the list itself: it holds them all.
    return services_.session.file_list().size();
}

void MainWindow::ShowStampType(int stamp_type) {
    const QSignalBlocker quiet(stamp_type_selector);
    stamp_type_selector->setCurrentIndex(stamp_type);
}

int MainWindow::ChosenStampType() const {
    return stamp_type_selector->currentIndex();
}

void MainWindow::ShowDateTaken(bool on) {
    const QSignalBlocker quiet(date_taken_item);
    date_taken_item->setChecked(on);
}

void MainWindow::OpenListMenu(const QPoint& at) {
    list_menu->popup(file_list->viewport()->mapToGlobal(at));
}

void MainWindow::ShowError(const std::string& title, const std::string& text) {
    // Owned by the active window, as the error arises from what the user did there.
    QWidget* owner = QApplication::activeWindow();
    services_.errors.ShowError(owner ? owner : this, Text(title), Text(text));
}

bool MainWindow::AskYesNo(const std::string& title, const std::string& text) {
    QWidget* owner = QApplication::activeWindow();
    return services_.errors.AskYesNo(owner ? owner : this, Text(title), Text(text));
}

void MainWindow::TickWhileWorking(bool working) {
    if (working)
        work_timer_->start();
    else
        work_timer_->stop();
}

void MainWindow::WakeFromWorker() {
    // Queued to this window's thread; dropped once the window is gone.
    QMetaObject::invokeMethod(
        this, [this] { model_.WorkWoke(); }, Qt::QueuedConnection);
}

void MainWindow::ShowProgress(const std::optional<WorkProgress>& progress) {
    for (QWidget* control :
         {static_cast<QWidget*>(execute_button), static_cast<QWidget*>(clear_button),
          static_cast<QWidget*>(stamp_type_selector)})
        control->setEnabled(!progress);
    ShowLauncherProgress(progress);
}

void MainWindow::Announce(const std::string& text) {
    // A screen reader hears only the active window: an outcome met while
    // another window has the focus (a drag's source) waits until this one
    // has it again.
    if (!isActiveWindow()) {
        pending_announcement_ = Text(text);
        return;
    }
    pending_announcement_.clear();
    // The focused control's description changes, which a screen reader
    // speaks for the object in focus; the window's own look stays.
    QWidget* holder = focusWidget() ? focusWidget() : this;
    if (announcer_ && announcer_ != holder) announcer_->setAccessibleDescription(QString());
    announcer_ = holder;
    // Emptied first, so that the same outcome twice is told twice.
    holder->setAccessibleDescription(QString());
    holder->setAccessibleDescription(Text(text));
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateMinimumSize();
    // Shown by the program, not restored by the desktop.
    if (!event->spontaneous()) model_.WindowShown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window closes only when the settings file was written.
    event->setAccepted(model_.CloseRequested());
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !pending_announcement_.isEmpty())
        Announce(pending_announcement_.toStdString());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const ClientLayout layout = LayOutClient(FromQt(size()), base_layout::kPanel.height);
    file_list->setGeometry(layout.list.left, layout.list.top, layout.list.width,
                           layout.list.height);
    bottom_panel->setGeometry(layout.panel.left, layout.panel.top, layout.panel.width,
                              layout.panel.height);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager reports the frame once it has decorated the window.
    UpdateMinimumSize();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // The URLs are read from the source as the drag enters, once, so that the
    // source sees a drag of network locations that nothing can map refused
    // while it hovers, not only once dropped.
    drag_may_bring_paths_ = drop_decoder_.MayBringPaths(*event->mimeData());
    // While work runs, nothing more is taken.
    if (drag_may_bring_paths_ && !model_.Working())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (drag_may_bring_paths_ && !model_.Working())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (model_.Working()) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    // The URLs are fetched from the drag's source again: what it offered while
    // hovering may not be what it gives now. A source that has gone, or a
    // transfer that failed, gives none: such a drop, like one that brings no
    // path, is refused, so the source sees it failed instead of being told it
    // was taken.
    const DroppedItems dropped = drop_decoder_.Decode(*event->mimeData());
    if (dropped.paths.empty()) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    } else {
        event->acceptProposedAction();
        model_.FilesDropped(dropped.paths);
    }
    ReportRefused(dropped.refused);
}

void MainWindow::ReportRefused(const std::vector<RefusedUri>& refused) {
    if (refused.empty()) return;
    QMetaObject::invokeMethod(
        this,
        [this, text = RefusalText(refused)] {
            services_.errors.ShowError(this, Text(ApplicationTitle(services_.executable_path)),
                                       text);
        },
        Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == execute_button || watched == clear_button) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
    }
    if (watched == file_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) model_.DeletePressed();
        if ((key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) ||
            (key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier)) {
            // At the current entry. Not every platform plugin turns the Menu
            // key into a context-menu event, so both keys are taken here.
            const QRect current = file_list->visualRect(file_list->currentIndex());
            OpenListMenu(current.isValid() ? current.center() : QPoint(0, 0));
            return true;
        }
        return false;  // the list handles the key as usual too
    }
    if (watched == file_list->viewport() && event->type() == QEvent::ToolTip) {
        // The same tooltip over entries and empty space alike.
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), file_list->toolTip(), file_list->viewport(), QRect(),
                           base_layout::kTooltipDurationMs);
        return true;
    }
    if (watched == bottom_panel && event->type() == QEvent::Resize) {
        // The buttons keep their distance to the panel's right and bottom edges.
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->oldSize().isValid()) {
            for (QPushButton* button : {execute_button, clear_button}) {
                const Point to = FollowRightBottom(
                    {button->x(), button->y()}, FromQt(resize->oldSize()), FromQt(resize->size()));
                button->move(to.x, to.y);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tavrel
