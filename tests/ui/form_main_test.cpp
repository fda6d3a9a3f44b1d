#include "ui/qt/form_main.h"

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
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <functional>
#include <ostream>

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

TEST(FormLayout, ShownAtDesignSize) {
    WindowFixture w;
    w.form.show();
    EXPECT_EQ(w.form.windowTitle(), "Tavrel v1.2.0.13");
    EXPECT_EQ(w.form.size(), QSize(414, 248));
    EXPECT_EQ(Frame(w.form.ListBoxFileList), QRect(0, 0, 414, 207));
    EXPECT_EQ(Frame(w.form.PanelBottom), QRect(0, 207, 414, 41));
    EXPECT_EQ(w.form.Label1->pos(), QPoint(12, 13));
    EXPECT_TRUE(w.form.Label1->font().bold());
    EXPECT_EQ(Frame(w.form.ComboBoxType), QRect(88, 10, 132, 21));
    EXPECT_EQ(Frame(w.form.ButtonExecute), QRect(234, 8, 75, 25));
    EXPECT_EQ(Frame(w.form.ButtonClear), QRect(324, 8, 75, 25));
    EXPECT_EQ(w.form.ButtonExecute->text(), "Execute");
    EXPECT_EQ(w.form.ButtonClear->text(), "Clear");
    EXPECT_EQ(w.form.ComboBoxType->currentIndex(), 1);
    EXPECT_EQ(w.form.ListBoxFileList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(w.form.ListBoxFileList->toolTip(), "Drag and Drop Files or Directories Here!");
    EXPECT_EQ(w.form.ListBoxFileList->viewport()->style()->styleHint(
                  QStyle::SH_ToolTip_WakeUpDelay, nullptr, w.form.ListBoxFileList->viewport()),
              500);
    EXPECT_TRUE(w.errors.shown.empty());
}

// With the font the window takes, its texts fit their controls at the design
// sizes: the selector shows "YYYYMMDD-hhmmss_" whole, from its first letter,
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
        w.form.ComboBoxType->setCurrentIndex(2);
        QLineEdit* edit = w.form.ComboBoxType->lineEdit();
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
        EXPECT_LE(w.form.Label1->geometry().right(), w.form.ComboBoxType->x() - 2)
            << w.form.Label1->sizeHint().width();
        for (const QPushButton* button : {w.form.ButtonExecute, w.form.ButtonClear})
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 12, button->width())
                << button->text().toStdString();
    }
}

TEST(FormLayout, WideningMovesOnlyTheButtons) {
    WindowFixture w;
    w.form.show();
    w.form.resize(514, 298);
    EXPECT_EQ(Frame(w.form.ListBoxFileList), QRect(0, 0, 514, 257));
    EXPECT_EQ(Frame(w.form.PanelBottom), QRect(0, 257, 514, 41));
    EXPECT_EQ(w.form.Label1->pos(), QPoint(12, 13));
    EXPECT_EQ(Frame(w.form.ComboBoxType), QRect(88, 10, 132, 21));
    EXPECT_EQ(Frame(w.form.ButtonExecute), QRect(334, 8, 75, 25));
    EXPECT_EQ(Frame(w.form.ButtonClear), QRect(424, 8, 75, 25));
}

TEST(FormLayout, MinimumKeepsTheOuterSize) {
    struct Case {
        const char* name;
        QSize frame;
        QSize minimum_client;
    } cases[] = {
        {"no frame", QSize(0, 0), QSize(414, 161)},
        {"design frame", QSize(16, 39), QSize(414, 161)},
        {"thick frame", QSize(40, 60), QSize(390, 140)},
        {"frame wider than the minimum", QSize(500, 300), QSize(0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFormMain::MinimumClientSize(c.frame), c.minimum_client) << c.name;

    WindowFixture w;
    w.form.show();
    w.form.resize(100, 100);
    EXPECT_EQ(w.form.size(), QSize(414, 161));
}

TEST(FormShow, VersionFailureKeepsTheResourceLayout) {
    WindowFixture w("/bin/true");
    w.form.show();
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].text, "アサートの失敗 (Main, 327 行)");
    EXPECT_EQ(w.errors.shown[0].title, "true");
    EXPECT_EQ(w.form.windowTitle(), "FormMain");
    EXPECT_EQ(w.form.ButtonExecute->text(), "ButtonExecute");
    EXPECT_EQ(w.form.ButtonClear->text(), "ButtonClear");
    EXPECT_EQ(w.form.ButtonExecute->pos(), QPoint(265, 8));
    EXPECT_EQ(w.form.ButtonClear->pos(), QPoint(355, 8));
    // The window still works in full.
    test::MakeFile(w.files / "a.jpg", kFileTime);
    EXPECT_TRUE(w.form.WMDropFiles({w.files / "a.jpg"}));
    EXPECT_TRUE(w.form.ButtonExecuteClick());
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
        w.form.WMDropFiles({"a", "b", "c", "d", "e", "f"});
        w.Select(c.selected);
        w.form.ListBoxFileList->setFocus();
        QTest::keyClick(w.form.ListBoxFileList, c.key, c.modifiers);
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
    const QModelIndex current = w.form.ListBoxFileList->currentIndex();
    if (current.isValid()) marks.current = entries[static_cast<std::size_t>(current.row())];
    return marks;
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
             EXPECT_TRUE(w.form.WMDropFiles({"h", "g"}));
         },
         {"a", "b", "c", "d", "e", "f", "g", "h"},
         {{"b", "e"}, "c"}},
        {"a drop bringing a marked entry again",
         {1, 4},
         4,
         [](WindowFixture& w) { EXPECT_TRUE(w.form.WMDropFiles({"b"})); },
         {"a", "c", "d", "e", "f", "b"},
         {{"e"}, "e"}},
        {"a drop bringing entries before and between the marks again",
         {2, 3, 5},
         3,
         [](WindowFixture& w) {
             EXPECT_TRUE(w.form.WMDropFiles({"A", "e"}));
         },
         {"b", "c", "d", "f", "A", "e"},
         {{"c", "d", "f"}, "d"}},
        {"Delete",
         {1, 4},
         2,
         [](WindowFixture& w) {
             w.form.ListBoxFileList->setFocus();
             QTest::keyClick(w.form.ListBoxFileList, Qt::Key_Delete);
         },
         {"a", "c", "d", "f"},
         {{}, "c"}},
        {"Delete of the current entry: the next one is current",
         {1, 4},
         4,
         [](WindowFixture& w) { EXPECT_TRUE(w.form.ListBoxFileListKeyDown(Qt::Key_Delete)); },
         {"a", "c", "d", "f"},
         {{}, "f"}},
        {"Clear",
         {1, 4},
         2,
         [](WindowFixture& w) { EXPECT_TRUE(w.form.ButtonClearClick()); },
         {},
         {{}, ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture w;
        w.form.show();
        // Listed unchecked, as names that do not exist are.
        w.form.WMDropFiles({"a", "b", "c", "d", "e", "f"});
        w.form.ListBoxFileList->setCurrentIndex(
            w.form.ListBoxFileList->model()->index(c.current, 0));
        w.form.ListBoxFileList->selectionModel()->clearSelection();
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
    w.form.WMDropFiles({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"});
    w.form.ListBoxFileList->setCurrentIndex(w.form.ListBoxFileList->model()->index(2, 0));
    w.Select({0, 1, 2});
    EXPECT_FALSE(w.form.ButtonExecuteClick());
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
    w.form.WMDropFiles({w.files.path()});
    w.form.ComboBoxType->setCurrentIndex(2);
    w.Select({0, 2});
    const QModelIndex current = w.form.ListBoxFileList->model()->index(1, 0);
    w.form.ListBoxFileList->setCurrentIndex(current);
    w.Select({0, 2});

    QTest::mouseClick(w.form.ButtonExecute, Qt::LeftButton);
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915-123456_c.jpg", w.files / "20110915-123456_a.jpg",
                     w.files / "20110915-123456_b.jpg"}));
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915-123456_a.jpg", "20110915-123456_b.jpg", "20110915-123456_c.jpg"}));
    EXPECT_TRUE(w.SelectedRows().empty());
    EXPECT_EQ(w.form.ListBoxFileList->currentIndex().row(), 1);
    EXPECT_EQ(w.form.ListBoxFileList->model()->data(current).toString().toStdString(),
              w.files / "20110915-123456_a.jpg");
}

TEST(Handlers, ClearEmptiesTheListAndRestoresTheStoredStampType) {
    struct Case {
        const char* settings;  // nullptr: no settings file
        int stamp_type;
    } cases[] = {{nullptr, 1}, {"StampType:2\r\n", 2}, {"StampType:0", 0}, {"StampType:7", -1}};
    for (const auto& c : cases) {
        WindowFixture w;
        w.form.show();
        if (c.settings) w.StoreSettings(c.settings);
        w.form.WMDropFiles({"x", "y"});
        w.form.ComboBoxType->setCurrentIndex(c.stamp_type == 0 ? 1 : 0);
        QTest::mouseClick(w.form.ButtonClear, Qt::LeftButton);
        EXPECT_TRUE(w.Entries().empty());
        EXPECT_EQ(w.form.ComboBoxType->currentIndex(), c.stamp_type);
        EXPECT_EQ(w.session.stamp_type(), c.stamp_type);
    }
}

TEST(Handlers, AnErrorIsShownAndTheRestOfTheHandlerSkipped) {
    WindowFixture w;
    w.form.show();
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "c.jpg", kFileTime);
    w.form.WMDropFiles({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"});
    EXPECT_FALSE(w.form.ButtonExecuteClick());
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].text, "日付に変換できない値が渡されました.");
    EXPECT_EQ(w.errors.shown[0].title, "tavrel");
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915_a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    // The window goes on.
    EXPECT_TRUE(w.form.ButtonClearClick());
    EXPECT_TRUE(w.Entries().empty());
}

TEST(Close, WritesTheSettingsFileOrStaysOpen) {
    {
        WindowFixture w;
        w.form.show();
        w.form.ComboBoxType->setCurrentIndex(2);
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
    w.form.WMDropFiles({w.files / "earlier.jpg"});

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
    QWidget* target = w.form.ListBoxFileList->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(w.Entries(), (Paths{w.files / "earlier.jpg", w.files / "a\xff.jpg",
                                  w.files / "dir/b.jpg", w.files / "named-host.jpg"}));
    // Shown leniently decoded; renamed byte for byte.
    EXPECT_EQ(w.form.ListBoxFileList->model()->index(1, 0).data().toString(),
              QString::fromStdString(w.files.path()) + QString::fromUtf8("/a\xEF\xBF\xBD.jpg"));
    EXPECT_TRUE(w.form.ButtonExecuteClick());
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
    remote_only.setUrls({QUrl("https://example.org/c.jpg")});
    for (const QMimeData* mime :
         std::initializer_list<const QMimeData*>{&unreadable, &remote_only}) {
        WindowFixture w;
        w.form.show();
        w.form.WMDropFiles({"listed"});
        QWidget* target = w.form.ListBoxFileList->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_FALSE(drop.isAccepted());
        EXPECT_EQ(w.Entries(), Paths{"listed"});
        EXPECT_TRUE(w.errors.shown.empty());
    }
}

TEST(ComboBox, TypedTextIsNoStampType) {
    WindowFixture w;
    w.form.show();
    w.form.ComboBoxType->setCurrentIndex(2);
    QTest::keyClicks(w.form.ComboBoxType->lineEdit(), "my type");
    QTest::keyClick(w.form.ComboBoxType->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(w.form.ComboBoxType->count(), 3);
    EXPECT_EQ(w.session.stamp_type(), w.form.ComboBoxType->currentIndex());
    EXPECT_NE(w.session.stamp_type(), -1);
}

}  // namespace
}  // namespace tavrel
