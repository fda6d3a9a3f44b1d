#include "ui/qt/form_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QToolTip>
#include <algorithm>
#include <exception>

#include "app/handler_errors.h"
#include "app/settings_file.h"
#include "ui/qt/dropped_paths.h"
#include "ui/qt/error_reporter.h"
#include "ui/qt/file_list_model.h"
#include "ui/qt/list_marks.h"
#include "ui/qt/version_string.h"
#include "ui/qt/window_font.h"

namespace tavrel {
namespace {

constexpr const char* kListTooltip = "Drag and Drop Files or Directories Here!";

// The application's style with the list's tooltip timing: shown after the
// pointer has rested for 500 ms. Qt reads the delay from the style of the
// widget under the pointer, so the list's viewport gets this style.
class TooltipTimingStyle final : public QProxyStyle {
public:
    TooltipTimingStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* result) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return TFormMain::kTooltipWakeUpMs;
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

TFormMain::TFormMain(WindowServices services) : services_(std::move(services)) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("FormMain"));
    setFont(WindowFont(services_.font_files));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAcceptDrops(true);
    BuildControls();
    resize(kDesignClientSize);
    setMinimumSize(MinimumClientSize(QSize()));
}

TFormMain::~TFormMain() = default;

void TFormMain::BuildControls() {
    ListBoxFileList = new QListView(this);
    ListBoxFileList->setObjectName(QStringLiteral("ListBoxFileList"));
    ListBoxFileList->setGeometry(0, 0, 414, 207);
    model_ = new FileListModel(services_.session.file_list(), this);
    ListBoxFileList->setModel(model_);
    ListBoxFileList->setUniformItemSizes(true);
    ListBoxFileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBoxFileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBoxFileList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBoxFileList->setTextElideMode(Qt::ElideNone);
    ListBoxFileList->setToolTip(QString::fromUtf8(kListTooltip));
    ListBoxFileList->setToolTipDuration(kTooltipDurationMs);
    ListBoxFileList->installEventFilter(this);
    auto* tooltip_style = new TooltipTimingStyle;
    tooltip_style->setParent(ListBoxFileList);
    ListBoxFileList->viewport()->setStyle(tooltip_style);
    ListBoxFileList->viewport()->installEventFilter(this);

    PanelBottom = new QFrame(this);
    PanelBottom->setObjectName(QStringLiteral("PanelBottom"));
    PanelBottom->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelBottom->setGeometry(0, 207, 414, kPanelHeight);
    PanelBottom->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Stamp Type"), PanelBottom);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = font();
    bold.setBold(true);
    Label1->setFont(bold);
    // The label grows to its text, as a label that sizes itself does: the
    // desktop's font may be wider than the designed one.
    Label1->setGeometry(12, 13, std::max(68, Label1->sizeHint().width()), 13);

    ComboBoxType = new QComboBox(PanelBottom);
    ComboBoxType->setObjectName(QStringLiteral("ComboBoxType"));
    ComboBoxType->setEditable(true);
    // Typed text is never stored as an entry: only the three types exist.
    ComboBoxType->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxType->addItems(
        {QStringLiteral("none"), QStringLiteral("YYYYMMDD_"), QStringLiteral("YYYYMMDD-hhmmss_")});
    ComboBoxType->setGeometry(88, 10, 132, 21);
    auto* selector_style = new SelectorStyle;
    selector_style->setParent(ComboBoxType);
    ComboBoxType->setStyle(selector_style);
    ShowStampType();
    connect(ComboBoxType, &QComboBox::currentIndexChanged, this,
            [this](int index) { services_.session.SelectStampType(index); });

    ButtonExecute = new QPushButton(QStringLiteral("ButtonExecute"), PanelBottom);
    ButtonExecute->setObjectName(QStringLiteral("ButtonExecute"));
    ButtonExecute->setGeometry(265, 8, 75, 25);
    connect(ButtonExecute, &QPushButton::clicked, this, [this] { ButtonExecuteClick(); });

    ButtonClear = new QPushButton(QStringLiteral("ButtonClear"), PanelBottom);
    ButtonClear->setObjectName(QStringLiteral("ButtonClear"));
    ButtonClear->setGeometry(355, 8, 75, 25);
    connect(ButtonClear, &QPushButton::clicked, this, [this] { ButtonClearClick(); });

    // The list first, then the panel's buttons and the selector.
    setTabOrder(ListBoxFileList, ButtonExecute);
    setTabOrder(ButtonExecute, ButtonClear);
    setTabOrder(ButtonClear, ComboBoxType);
}

QSize TFormMain::MinimumClientSize(QSize frame) {
    // A frame thinner than the design's would let the minimum exceed the design
    // client size; the window must still open at its design size, so the
    // minimum is never larger than it is with the design frame.
    return (kMinimumOuterSize - frame)
        .boundedTo(kMinimumOuterSize - kDesignFrameSize)
        .expandedTo(QSize(0, 0));
}

void TFormMain::UpdateMinimumSize() {
    setMinimumSize(MinimumClientSize(frameGeometry().size() - geometry().size()));
}

template <typename Steps>
bool TFormMain::Guarded(Steps steps) {
    return RunReportingErrors(steps,
                              [this](const std::string& message) { ShowDefaultError(message); });
}

void TFormMain::ShowDefaultError(const std::string& message) {
    QWidget* owner = QApplication::activeWindow();
    services_.errors.ShowError(owner ? owner : this, ApplicationTitle(services_.executable_path),
                               WindowErrorText(message));
}

void TFormMain::ShowStampType() {
    const QSignalBlocker quiet(ComboBoxType);
    ComboBoxType->setCurrentIndex(services_.session.stamp_type());
}

int TFormMain::InitForm() {
    // The controls show whatever state the session reached, also after an error.
    struct Refresh {
        TFormMain& form;
        ~Refresh() { form.ShowStampType(); }
    } refresh{*this};
    FileListModel::Change change(*model_);
    return services_.session.InitForm({});
}

bool TFormMain::FormShow() {
    return Guarded([this] {
        const std::string version = GetVersionString(services_.executable_path);
        setWindowTitle(QStringLiteral("Tavrel v") + QString::fromUtf8(version));
        ButtonExecute->setText(QStringLiteral("Execute"));
        ButtonClear->setText(QStringLiteral("Clear"));
        const int u = ButtonExecute->width() / 5;
        const int panel_middle = PanelBottom->height() / 2;
        ButtonExecute->move(PanelBottom->width() - 12 * u,
                            panel_middle - ButtonExecute->height() / 2);
        ButtonClear->move(PanelBottom->width() - 6 * u, panel_middle - ButtonClear->height() / 2);
    });
}

bool TFormMain::FormClose() {
    return Guarded([this] {
        const SessionServices& session = services_.session.services();
        WriteSettingsFile(session.settings_path, services_.session.stamp_type(),
                          session.file_system);
    });
}

bool TFormMain::ButtonExecuteClick() {
    return Guarded([this] {
        // Entries renamed before an error keep their new texts on screen too.
        struct Refresh {
            TFormMain& form;
            ~Refresh() {
                form.model_->TextsChanged();
                // An entry written back loses its mark, as a replaced list box
                // entry does; entries the pass did not reach (it stopped at an
                // error) keep theirs, and the current entry stays.
                const int written = static_cast<int>(std::min<std::size_t>(
                    form.services_.session.entries_written_back(), form.model_->rowCount()));
                if (written > 0)
                    form.ListBoxFileList->selectionModel()->select(
                        QItemSelection(form.model_->index(0), form.model_->index(written - 1)),
                        QItemSelectionModel::Deselect);
            }
        } refresh{*this};
        services_.session.RenamePass();
    });
}

bool TFormMain::ButtonClearClick() {
    return Guarded([this] { InitForm(); });
}

bool TFormMain::ListBoxFileListKeyDown(int key) {
    return Guarded([this, key] {
        if (key != Qt::Key_Delete) return;
        std::vector<std::size_t> selected;
        for (const QModelIndex& index : ListBoxFileList->selectionModel()->selectedIndexes())
            selected.push_back(static_cast<std::size_t>(index.row()));
        if (selected.empty()) return;
        std::sort(selected.begin(), selected.end());
        const ListMarks marks(*ListBoxFileList);
        {
            FileListModel::Change change(*model_);
            services_.session.file_list().RemoveAt(selected);
        }
        // The entries that stay keep the current entry where it was.
        marks.RestoreAfterRemoving(*ListBoxFileList, selected);
    });
}

bool TFormMain::WMDropFiles(const std::vector<std::string>& paths) {
    return Guarded([this, &paths] {
        const ListMarks marks(*ListBoxFileList);
        std::vector<std::size_t> removed;
        {
            FileListModel::Change change(*model_);
            removed = services_.session.AddBatch(paths);
        }
        // The entries that stay keep their marks and the current entry.
        marks.RestoreAfterRemoving(*ListBoxFileList, removed);
    });
}

void TFormMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateMinimumSize();
    // Shown by the program, not restored by the desktop.
    if (!event->spontaneous()) FormShow();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // The window closes only when the settings file was written.
    event->setAccepted(FormClose());
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The list fills everything above the panel; the panel keeps the bottom edge.
    const int list_height = std::max(0, height() - kPanelHeight);
    ListBoxFileList->setGeometry(0, 0, width(), list_height);
    PanelBottom->setGeometry(0, list_height, width(), kPanelHeight);
}

void TFormMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager reports the frame once it has decorated the window.
    UpdateMinimumSize();
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormMain::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    // The URLs are fetched from the drag's source only now. A source that has
    // gone, or a transfer that failed, gives none: such a drop, like one that
    // names no local file, is refused, so the source sees it failed instead of
    // being told it was taken.
    const std::vector<std::string> paths =
        event->mimeData()->hasUrls() ? DroppedPaths(event->mimeData()->urls(), services_.host_name)
                                     : std::vector<std::string>{};
    if (paths.empty()) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    WMDropFiles(paths);
}

void TFormMain::AnchorButtons(QSize old_panel_size, QSize new_panel_size) {
    if (!old_panel_size.isValid()) return;
    const QSize delta = new_panel_size - old_panel_size;
    for (QPushButton* button : {ButtonExecute, ButtonClear})
        button->move(button->pos() + QPoint(delta.width(), delta.height()));
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxFileList && event->type() == QEvent::KeyPress) {
        ListBoxFileListKeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;  // the list handles the key as usual too
    }
    if (watched == ListBoxFileList->viewport() && event->type() == QEvent::ToolTip) {
        // The same tooltip over entries and empty space alike.
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), ListBoxFileList->toolTip(),
                           ListBoxFileList->viewport(), QRect(), kTooltipDurationMs);
        return true;
    }
    if (watched == PanelBottom && event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        AnchorButtons(resize->oldSize(), resize->size());
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tavrel
