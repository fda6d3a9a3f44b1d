#include "ui/qt/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFontInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <functional>
#include <ostream>

#include "fake_path_mapper.h"
#include "platform/posix/process_environment.h"
#include "platform/process.h"
#include "window_fixture.h"

namespace tavrel {
namespace {

using test::WindowFixture;
using Paths = std::vector<std::string>;

constexpr std::int64_t kFileTime = 1316090096;  // 2011-09-15 12:34:56 UTC

QRect Frame(const QWidget* widget) {
    return widget->geometry();
}

TEST(FormLayout, ShownAtBaseSize) {
    WindowFixture w;
    w.form.show();
    EXPECT_EQ(w.form.windowTitle(), "Tavrel v" TAVREL_VERSION);
    EXPECT_EQ(w.form.size(), QSize(414, 248));
    EXPECT_EQ(Frame(w.form.file_list), QRect(0, 0, 414, 207));
    EXPECT_EQ(Frame(w.form.bottom_panel), QRect(0, 207, 414, 41));
    EXPECT_EQ(w.form.stamp_type_label->pos(), QPoint(12, 13));
    EXPECT_TRUE(w.form.stamp_type_label->font().bold());
    EXPECT_EQ(Frame(w.form.stamp_type_selector), QRect(88, 10, 132, 21));
    EXPECT_EQ(Frame(w.form.execute_button), QRect(234, 8, 75, 25));
    EXPECT_EQ(Frame(w.form.clear_button), QRect(324, 8, 75, 25));
    EXPECT_EQ(w.form.execute_button->text(), "Execute");
    EXPECT_EQ(w.form.clear_button->text(), "Clear");
    EXPECT_EQ(w.form.stamp_type_selector->currentIndex(), 1);
    EXPECT_EQ(w.form.file_list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w.form.file_list->toolTip(), "Drag and Drop Files or Directories Here!");
    EXPECT_EQ(w.form.file_list->viewport()->style()->styleHint(
                  QStyle::SH_ToolTip_WakeUpDelay, nullptr, w.form.file_list->viewport()),
              500);
    EXPECT_TRUE(w.errors.shown.empty());
}

// With the font the window takes, its texts fit their controls at the base
// layout's sizes: the selector shows "YYYYMMDD-hhmmss_" whole, from its first letter,
// the bold label stays clear of the selector, and the captions fit the buttons.
TEST(FormLayout, TextsFitTheirControls) {
    struct Case {
        const char* name;
        std::vector<std::string> font_files;
        const char* family;  // nullptr: any
    } cases[] = {
        // First: once loaded, Tahoma stays in the process for later windows.
        {"no such font file: a condensed sans", {"/nonexistent/tahoma.ttf"}, nullptr},
        {"a font with Tahoma's metrics", TahomaMetricFontFiles(), "Tahoma"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.family && !test::Exists(c.font_files.front())) {
            ADD_FAILURE() << c.font_files.front() << " is missing: install fonts-wine";
            continue;
        }
        WindowFixture w(TAVREL_BINARY, "setup.ini", c.font_files);
        w.form.show();
        const QFontInfo font(w.form.font());
        if (c.family) {
            EXPECT_EQ(font.family().toStdString(), c.family);
        }
        w.form.stamp_type_selector->setCurrentIndex(2);
        QLineEdit* edit = w.form.stamp_type_selector->lineEdit();
        ASSERT_EQ(edit->text(), "YYYYMMDD-hhmmss_");
        // A text too wide for its field is scrolled to show the cursor: drawn
        // with the cursor at its end it would then lie elsewhere than drawn with
        // the cursor at its start.
        edit->end(false);
        const QImage at_end = edit->grab().toImage();
        edit->home(false);
        const QImage at_start = edit->grab().toImage();
        EXPECT_TRUE(at_end == at_start)
            << font.family().toStdString() << " " << font.pixelSize() << " px: the text is "
            << edit->fontMetrics().horizontalAdvance(edit->text()) << " px wide, its field "
            << edit->width() << " px";
        EXPECT_LE(w.form.stamp_type_label->geometry().right(), w.form.stamp_type_selector->x() - 2)
            << w.form.stamp_type_label->sizeHint().width();
        for (const QPushButton* button : {w.form.execute_button, w.form.clear_button})
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 12, button->width())
                << button->text().toStdString();
    }
}

TEST(FormLayout, WideningMovesOnlyTheButtons) {
    WindowFixture w;
    w.form.show();
    w.form.resize(514, 298);
    EXPECT_EQ(Frame(w.form.file_list), QRect(0, 0, 514, 257));
    EXPECT_EQ(Frame(w.form.bottom_panel), QRect(0, 257, 514, 41));
    EXPECT_EQ(w.form.stamp_type_label->pos(), QPoint(12, 13));
    EXPECT_EQ(Frame(w.form.stamp_type_selector), QRect(88, 10, 132, 21));
    EXPECT_EQ(Frame(w.form.execute_button), QRect(334, 8, 75, 25));
    EXPECT_EQ(Frame(w.form.clear_button), QRect(424, 8, 75, 25));
}

TEST(FormLayout, MinimumKeepsTheOuterSize) {
    WindowFixture w;
    w.form.show();
    w.form.resize(100, 100);
    EXPECT_EQ(w.form.size(), QSize(414, 161));
}

TEST(FormShow, VersionFailureKeepsTheCreatedNamesAndPlaces) {
    WindowFixture w("/bin/true");
    w.form.show();
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].text, "アサートの失敗 (Main, 327 行)");
    EXPECT_EQ(w.errors.shown[0].title, "true");
    EXPECT_EQ(w.form.windowTitle(), "FormMain");
    EXPECT_EQ(w.form.execute_button->text(), "ButtonExecute");
    EXPECT_EQ(w.form.clear_button->text(), "ButtonClear");
    EXPECT_EQ(w.form.execute_button->pos(), QPoint(265, 8));
    EXPECT_EQ(w.form.clear_button->pos(), QPoint(355, 8));
    // The window still works in full.
    test::MakeFile(w.files / "a.jpg", kFileTime);
    EXPECT_TRUE(w.Run(w.form.model().FilesDropped({w.files / "a.jpg"})));
    EXPECT_TRUE(w.Run(w.form.model().ExecuteClicked()));
    EXPECT_EQ(w.Entries(), Paths{w.files / "20110915_a.jpg"});
}

TEST(ListKeys, DeleteRemovesTheSelectedEntries) {
    struct Case {
        const char* name;
        std::vector<int> selected;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Paths remaining;
    } cases[] = {
        {"second and fifth", {1, 4}, Qt::Key_Delete, Qt::NoModifier, {"a", "c", "d", "f"}},
        {"nothing selected", {}, Qt::Key_Delete, Qt::NoModifier, {"a", "b", "c", "d", "e", "f"}},
        {"with Shift", {1, 4}, Qt::Key_Delete, Qt::ShiftModifier, {"a", "c", "d", "f"}},
        {"with Ctrl", {0}, Qt::Key_Delete, Qt::ControlModifier, {"b", "c", "d", "e", "f"}},
        {"another key", {1, 4}, Qt::Key_Backspace, Qt::NoModifier, {"a", "b", "c", "d", "e", "f"}},
        {"all", {0, 1, 2, 3, 4, 5}, Qt::Key_Delete, Qt::NoModifier, {}},
    };
    for (const auto& c : cases) {
        WindowFixture w;
        w.form.show();
        // Listed unchecked, as names that do not exist are.
        w.Run(w.form.model().FilesDropped({"a", "b", "c", "d", "e", "f"}));
        w.Select(c.selected);
        w.form.file_list->setFocus();
        QTest::keyClick(w.form.file_list, c.key, c.modifiers);
        EXPECT_EQ(w.Entries(), c.remaining) << c.name;
        EXPECT_TRUE(w.errors.shown.empty()) << c.name;
    }
}

// The texts of the marked entries, in list order, and the current entry's text.
struct Marks {
    Paths marked;
    std::string current;
    bool operator==(const Marks&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Marks& marks) {
    out << "marked {";
    for (const auto& entry : marks.marked) out << " " << entry;
    return out << " } current '" << marks.current << "'";
}

Marks MarksOf(const WindowFixture& w) {
    Marks marks;
    const Paths entries = w.Entries();
    for (int row : w.SelectedRows()) marks.marked.push_back(entries[static_cast<std::size_t>(row)]);
    const QModelIndex current = w.form.file_list->currentIndex();
    if (current.isValid()) marks.current = entries[static_cast<std::size_t>(current.row())];
    return marks;
}

// What the item does is the model's; here the keys open the list's menu on it.
TEST(ListMenu, MenuKeyAndShiftF10OpenTheDateTakenItem) {
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Menu, Qt::NoModifier},
                                                              {Qt::Key_F10, Qt::ShiftModifier}};
    for (const auto& [key, modifiers] : keys) {
        WindowFixture w;
        w.form.show();
        w.form.file_list->setFocus();
        QTest::keyClick(w.form.file_list, key, modifiers);
        ASSERT_TRUE(w.form.list_menu->isVisible()) << key;
        EXPECT_EQ(w.form.list_menu->actions().value(0), w.form.date_taken_item) << key;
        w.form.date_taken_item->trigger();
        w.form.list_menu->hide();
        EXPECT_TRUE(w.session.date_taken()) << key;
    }
}

TEST(ListMarks, EntriesThatStayKeepTheirMarksAndTheCurrentEntry) {
    struct Case {
        const char* name;
        std::vector<int> marked;  // rows of a, b, c, d, e, f
        int current;
        std::function<void(WindowFixture&)> change;
        Paths entries;
        Marks marks;
    } cases[] = {
        {"a drop of new entries",
         {1, 4},
         2,
         [](WindowFixture& w) {
             EXPECT_TRUE(w.Run(w.form.model().FilesDropped({"h", "g"})));
         },
         {"a", "b", "c", "d", "e", "f", "g", "h"},
         {{"b", "e"}, "c"}},
        {"a drop bringing a marked entry again",
         {1, 4},
         4,
         [](WindowFixture& w) { EXPECT_TRUE(w.Run(w.form.model().FilesDropped({"b"}))); },
         {"a", "c", "d", "e", "f", "b"},
         {{"e"}, "e"}},
        {"a drop bringing entries before and between the marks again",
         {2, 3, 5},
         3,
         [](WindowFixture& w) {
             EXPECT_TRUE(w.Run(w.form.model().FilesDropped({"A", "e"})));
         },
         {"b", "c", "d", "f", "A", "e"},
         {{"c", "d", "f"}, "d"}},
        {"Delete",
         {1, 4},
         2,
         [](WindowFixture& w) {
             w.form.file_list->setFocus();
             QTest::keyClick(w.form.file_list, Qt::Key_Delete);
         },
         {"a", "c", "d", "f"},
         {{}, "c"}},
        {"Delete of the current entry: the next one is current",
         {1, 4},
         4,
         [](WindowFixture& w) { EXPECT_TRUE(w.form.model().DeletePressed()); },
         {"a", "c", "d", "f"},
         {{}, "f"}},
        {"Clear",
         {1, 4},
         2,
         [](WindowFixture& w) { EXPECT_TRUE(w.form.model().ClearClicked()); },
         {},
         {{}, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture w;
        w.form.show();
        // Listed unchecked, as names that do not exist are.
        w.Run(w.form.model().FilesDropped({"a", "b", "c", "d", "e", "f"}));
        w.form.file_list->setCurrentIndex(w.form.file_list->model()->index(c.current, 0));
        w.form.file_list->selectionModel()->clearSelection();
        w.Select(c.marked);
        c.change(w);
        EXPECT_EQ(w.Entries(), c.entries);
        EXPECT_EQ(MarksOf(w), c.marks);
        EXPECT_TRUE(w.errors.shown.empty());
    }
}

TEST(ListMarks, APassStoppedByAnErrorUnmarksOnlyTheEntriesItWroteBack) {
    WindowFixture w;
    w.form.show();
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "c.jpg", kFileTime);
    w.Run(w.form.model().FilesDropped({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    w.form.file_list->setCurrentIndex(w.form.file_list->model()->index(2, 0));
    w.Select({0, 1, 2});
    EXPECT_FALSE(w.Run(w.form.model().ExecuteClicked()));
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915_a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    EXPECT_EQ(MarksOf(w), (Marks{{w.files / "b.jpg", w.files / "c.jpg"}, w.files / "c.jpg"}));
}

TEST(Handlers, ExecuteRenamesEveryEntryAndClearsTheSelection) {
    WindowFixture w;
    w.form.show();
    test::MakeFile(w.files / "b.jpg", kFileTime);
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "20010101_c.jpg", kFileTime);
    w.Run(w.form.model().FilesDropped({w.files.path()}));
    w.form.stamp_type_selector->setCurrentIndex(2);
    w.Select({0, 2});
    const QModelIndex current = w.form.file_list->model()->index(1, 0);
    w.form.file_list->setCurrentIndex(current);
    w.Select({0, 2});

    QTest::mouseClick(w.form.execute_button, Qt::LeftButton);
    w.form.model().WaitForWork();
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915-123456_c.jpg", w.files / "20110915-123456_a.jpg",
                     w.files / "20110915-123456_b.jpg"}));
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915-123456_a.jpg", "20110915-123456_b.jpg", "20110915-123456_c.jpg"}));
    EXPECT_TRUE(w.SelectedRows().empty());
    EXPECT_EQ(w.form.file_list->currentIndex().row(), 1);
    EXPECT_EQ(w.form.file_list->model()->data(current).toString().toStdString(),
              w.files / "20110915-123456_a.jpg");
}

TEST(Handlers, CtrlZUndoesThePass) {
    WindowFixture w;
    w.form.show();
    w.form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.form, 120000));
    test::MakeFile(w.files / "a.jpg", kFileTime);
    ASSERT_TRUE(w.Run(w.form.model().FilesDropped({w.files / "a.jpg"})));
    QTest::mouseClick(w.form.execute_button, Qt::LeftButton);
    w.form.model().WaitForWork();
    ASSERT_TRUE(test::Exists(w.files / "20110915_a.jpg"));
    QTest::keyClick(w.form.file_list, Qt::Key_Z, Qt::ControlModifier);
    w.form.model().WaitForWork();
    EXPECT_TRUE(test::Exists(w.files / "a.jpg"));
    EXPECT_EQ(w.Entries(), Paths{w.files / "a.jpg"});
}

// Which stamp type Clear restores is the model's; here a stored type outside
// 0..2 leaves the selector showing none.
TEST(Handlers, ClearEmptiesTheListAndRestoresTheStoredStampType) {
    WindowFixture w;
    w.form.show();
    w.StoreSettings("StampType:7");
    w.Run(w.form.model().FilesDropped({"x", "y"}));
    QTest::mouseClick(w.form.clear_button, Qt::LeftButton);
    EXPECT_TRUE(w.Entries().empty());
    EXPECT_EQ(w.form.stamp_type_selector->currentIndex(), -1);
}

TEST(Close, WritesTheSettingsFileOrStaysOpen) {
    {
        WindowFixture w;
        w.form.show();
        w.form.stamp_type_selector->setCurrentIndex(2);
        EXPECT_TRUE(w.form.close());
        EXPECT_FALSE(w.form.isVisible());
        EXPECT_EQ(test::ReadFile(w.settings_path), "StampType:2\r\n");
        EXPECT_TRUE(w.errors.shown.empty());
    }
    {
        // The settings file's folder does not exist: the window stays open.
        WindowFixture w(TAVREL_BINARY, "missing/setup.ini");
        w.form.show();
        EXPECT_FALSE(w.form.close());
        EXPECT_TRUE(w.form.isVisible());
        ASSERT_EQ(w.errors.shown.size(), 1u);
        EXPECT_EQ(
            w.errors.shown[0].text.toStdString(),
            "ファイル \"" + w.settings_path + "\" を作成できません。No such file or directory.");
    }
}

TEST(Drop, DroppedUrlsBecomeOneBatchOfRawPaths) {
    WindowFixture w;
    w.form.show();
    test::MakeDirectory(w.files / "dir");
    test::MakeFile(w.files / "dir/b.jpg", kFileTime);
    test::MakeFile(w.files / "a\xff.jpg", kFileTime);
    test::MakeFile(w.files / "earlier.jpg", kFileTime);
    test::MakeFile(w.files / "named-host.jpg", kFileTime);
    w.Run(w.form.model().FilesDropped({w.files / "earlier.jpg"}));

    QMimeData mime;
    mime.setUrls({QUrl::fromEncoded(QByteArray("file://") + QByteArray(w.files.path().c_str()) +
                                    "/a%FF.jpg"),
                  QUrl::fromLocalFile(QString::fromStdString(w.files / "dir")),
                  QUrl("https://example.org/c.jpg"),
                  // As some programs send it: this machine named as the host.
                  QUrl::fromEncoded(QByteArray("file://") + QByteArray(HostName().c_str()) +
                                    QByteArray(w.files.path().c_str()) + "/named-host.jpg"),
                  QUrl::fromEncoded(QByteArray("file://not-") + QByteArray(HostName().c_str()) +
                                    QByteArray(w.files.path().c_str()) + "/earlier.jpg")});
    // As a drag arrives: enter, move, drop; on the list, which passes it to the window.
    QWidget* target = w.form.file_list->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    w.form.model().WaitForWork();
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(w.Entries(), (Paths{w.files / "earlier.jpg", w.files / "a\xff.jpg",
                                  w.files / "dir/b.jpg", w.files / "named-host.jpg"}));
    // Shown leniently decoded; renamed byte for byte.
    EXPECT_EQ(w.form.file_list->model()->index(1, 0).data().toString(),
              QString::fromStdString(w.files.path()) + QString::fromUtf8("/a\xEF\xBF\xBD.jpg"));
    EXPECT_TRUE(w.Run(w.form.model().ExecuteClicked()));
    EXPECT_TRUE(test::Exists(w.files / "20110915_a\xff.jpg"));
}

// Offers file URLs, as a drag's source does, but gives nothing when asked for
// them: the source quit or the transfer failed.
class UnreadableUrls final : public QMimeData {
public:
    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString&, QMetaType) const override { return {}; }
};

TEST(Drop, ADropThatBringsNoLocalPathIsRefused) {
    UnreadableUrls unreadable;
    QMimeData remote_only;
    remote_only.setUrls({QUrl("https://example.org/c.jpg"), QUrl("sftp://host/home/mika/a.jpg"),
                         QUrl("smb://host/share/b.jpg")});
    for (const QMimeData* mime :
         std::initializer_list<const QMimeData*>{&unreadable, &remote_only}) {
        WindowFixture w;
        w.form.show();
        w.Run(w.form.model().FilesDropped({"listed"}));
        QWidget* target = w.form.file_list->viewport();
        // Refused already while it hovers, so the source shows "no drop".
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_FALSE(enter.isAccepted());
        QDragMoveEvent move(QPoint(6, 6), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        EXPECT_FALSE(move.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        w.form.model().WaitForWork();
        EXPECT_FALSE(drop.isAccepted());
        EXPECT_EQ(w.Entries(), Paths{"listed"});
        EXPECT_TRUE(w.errors.shown.empty());
    }
}

// The mapping is the drop decoder's; here the window takes the mapper's paths
// and names the refused location once the drop is over.
TEST(Drop, NetworkLocationsAreListedByTheMappersPathsAndTheRestNamed) {
    test::FakePathMapper mapper;
    WindowFixture w(TAVREL_BINARY, "setup.ini", TahomaMetricFontFiles(), &mapper);
    w.form.show();
    mapper.table["smb://nas/share"] = test::PathAnswer("/k/share");
    QMimeData mime;
    mime.setUrls({QUrl("smb://nas/share/a.jpg"), QUrl("sftp://nas/home/b.jpg")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.file_list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.form.file_list->viewport(), &drop);
    w.form.model().WaitForWork();
    EXPECT_EQ(w.Entries(), Paths{"/k/share/a.jpg"});
    EXPECT_TRUE(w.errors.shown.empty());
    QApplication::processEvents();
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_TRUE(w.errors.shown[0].text.contains("sftp://nas/home/b.jpg"));
}

TEST(ComboBox, TypedTextIsNoStampType) {
    WindowFixture w;
    w.form.show();
    w.form.stamp_type_selector->setCurrentIndex(2);
    QTest::keyClicks(w.form.stamp_type_selector->lineEdit(), "my type");
    QTest::keyClick(w.form.stamp_type_selector->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(w.form.stamp_type_selector->count(), 3);
    EXPECT_EQ(w.session.stamp_type(), w.form.stamp_type_selector->currentIndex());
    EXPECT_NE(w.session.stamp_type(), -1);
}

}  // namespace
}  // namespace tavrel
