#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/win32/wtf8.h"
#include "window_fixture.h"

namespace tavrel::win32 {
namespace {

using test::kFileTime;
using test::WindowFixture;
using Paths = std::vector<std::string>;
using Rows = std::vector<int>;

// A rectangle at the window's pixel density from its base layout at 96 dpi.
Rect At(const WindowFixture& w, int left, int top, int width, int height) {
    return Scaled(Rect{left, top, width, height}, w.form.dpi());
}

// The closed combo box is as high as its base height, or as its font needs where that
// is more: a little more where the system links in a higher font for the text
// (Wine under a Japanese user locale makes it 23 at 96 dpi). Its place and width
// are exact.
void ExpectComboBoxAt(const WindowFixture& w, int left, int top) {
    const Rect frame = WindowFixture::Frame(w.form.stamp_type_selector);
    const Rect design = At(w, left, top, 132, 21);
    EXPECT_EQ((Rect{frame.left, frame.top, frame.width, design.height}), design);
    EXPECT_GE(frame.height, design.height);
    EXPECT_LE(frame.height, design.height + Scaled(2, w.form.dpi()));
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
}

// Where the controls stand once shown, with the client area grown by the given
// pixels: at 96 dpi the base layout's figures (Execute at 234, 8 and Clear at 324, 8),
// at other densities the same rules applied to the scaled sizes.
struct Shown {
    Rect list, panel, execute, clear;
};
Shown LaidOut(const WindowFixture& w, int grow_right, int grow_down) {
    const auto s = [&w](int design) { return Scaled(design, w.form.dpi()); };
    const Size client{s(414) + grow_right, s(248) + grow_down};
    const int panel = s(41);
    const int u = s(75) / 5;
    const int top = panel / 2 - s(25) / 2;
    return {Rect{0, 0, client.width, client.height - panel},
            Rect{0, client.height - panel, client.width, panel},
            Rect{s(414) - 12 * u + grow_right, top, s(75), s(25)},
            Rect{s(414) - 6 * u + grow_right, top, s(75), s(25)}};
}

std::string OwnPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ToWtf8(path);
}

TEST(FormLayout, ShownAtBaseSize) {
    WindowFixture w;
    w.Show();
    // The run that sets the screen's density makes sure it took effect.
    if (const char* dpi = std::getenv("TAVREL_TEST_DPI")) {
        EXPECT_EQ(w.form.dpi(), std::atoi(dpi));
    }
    EXPECT_EQ(WindowFixture::Text(w.form.handle()), L"Tavrel v" + FromWtf8(TAVREL_VERSION));
    RECT client;
    GetClientRect(w.form.handle(), &client);
    EXPECT_EQ((Rect{0, 0, client.right, client.bottom}), At(w, 0, 0, 414, 248));
    const Shown shown = LaidOut(w, 0, 0);
    EXPECT_EQ(WindowFixture::Frame(w.form.file_list), shown.list);
    EXPECT_EQ(WindowFixture::Frame(w.form.bottom_panel), shown.panel);
    EXPECT_EQ(WindowFixture::Frame(w.form.stamp_type_label).left, At(w, 12, 13, 68, 13).left);
    EXPECT_EQ(WindowFixture::Frame(w.form.stamp_type_label).top, At(w, 12, 13, 68, 13).top);
    ExpectComboBoxAt(w, 88, 10);
    EXPECT_EQ(WindowFixture::Frame(w.form.execute_button), shown.execute);
    EXPECT_EQ(WindowFixture::Frame(w.form.clear_button), shown.clear);
    if (w.form.dpi() == 96) {
        EXPECT_EQ(shown.execute, (Rect{234, 8, 75, 25}));
        EXPECT_EQ(shown.clear, (Rect{324, 8, 75, 25}));
    }
    EXPECT_EQ(WindowFixture::Text(w.form.execute_button), L"Execute");
    EXPECT_EQ(WindowFixture::Text(w.form.clear_button), L"Clear");
    EXPECT_EQ(WindowFixture::Text(w.form.stamp_type_label), L"Stamp Type");
    EXPECT_TRUE(w.errors.shown.empty());
}

TEST(FormLayout, ControlsOfTheirKind) {
    WindowFixture w;
    const auto style = [](HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); };
    EXPECT_TRUE(GetWindowLongPtrW(w.form.handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(style(w.form.handle()) & WS_THICKFRAME);
    const LONG_PTR list = style(w.form.file_list);
    EXPECT_TRUE(list & LBS_EXTENDEDSEL);
    EXPECT_TRUE(list & LBS_NOINTEGRALHEIGHT);
    EXPECT_TRUE(list & LBS_HASSTRINGS);  // other programs read the entries
    EXPECT_FALSE(list & LBS_SORT);
    EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETITEMHEIGHT, 0, 0), Scaled(13, w.form.dpi()));
    EXPECT_EQ(style(w.form.stamp_type_selector) & 3, CBS_DROPDOWN);
    EXPECT_EQ(SendMessageW(w.form.stamp_type_selector, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(w.form.stamp_type_selector, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowFixture::Text(w.form.stamp_type_selector), L"YYYYMMDD_");

    const LOGFONTW font = FontOf(w.form.file_list);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, FontHeight(8, w.form.dpi()));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(FontOf(w.form.stamp_type_label).lfWeight, FW_BOLD);

    EXPECT_EQ(SendMessageW(w.form.tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    EXPECT_EQ(SendMessageW(w.form.tooltip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 2500);
    wchar_t tip[100] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = w.form.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(w.form.file_list);
    tool.lpszText = tip;
    SendMessageW(w.form.tooltip, TTM_GETTEXTW, 100, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tip, L"Drag and Drop Files or Directories Here!");
}

TEST(FormLayout, ResizingMovesOnlyTheButtons) {
    WindowFixture w;
    w.Show();
    RECT outer;
    GetWindowRect(w.form.handle(), &outer);
    const int grow = Scaled(100, w.form.dpi());
    const int grow_down = Scaled(50, w.form.dpi());
    SetWindowPos(w.form.handle(), nullptr, 0, 0, outer.right - outer.left + grow,
                 outer.bottom - outer.top + grow_down, SWP_NOMOVE | SWP_NOZORDER);
    const Shown shown = LaidOut(w, grow, grow_down);
    EXPECT_EQ(WindowFixture::Frame(w.form.file_list), shown.list);
    EXPECT_EQ(WindowFixture::Frame(w.form.bottom_panel), shown.panel);
    ExpectComboBoxAt(w, 88, 10);
    EXPECT_EQ(WindowFixture::Frame(w.form.execute_button), shown.execute);
    EXPECT_EQ(WindowFixture::Frame(w.form.clear_button), shown.clear);

    MINMAXINFO limits{};
    SendMessageW(w.form.handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, Scaled(430, w.form.dpi()));
    EXPECT_EQ(limits.ptMinTrackSize.y, Scaled(200, w.form.dpi()));
}

// WM_DPICHANGED as the system sends it, suggesting the place that gives the
// base layout's client area at the new density; returns the suggested size.
Size ChangeDpi(const WindowFixture& w, int dpi) {
    const HWND window = w.form.handle();
    RECT suggested{0, 0, Scaled(414, dpi), Scaled(248, dpi)};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
    RECT outer;
    GetWindowRect(window, &outer);
    OffsetRect(&suggested, outer.left - suggested.left, outer.top - suggested.top);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return {suggested.right - suggested.left, suggested.bottom - suggested.top};
}

// The width of a control's own text in its font.
int TextWidthIn(HWND control) {
    const std::wstring text = WindowFixture::Text(control);
    HDC dc = GetDC(control);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ReleaseDC(control, dc);  // which gives the common DC its own font back
    return extent.cx;
}

TEST(FormLayout, ADensityChangeLaysOutAgainFromTheBaseLayout) {
    WindowFixture w;
    w.Show();
    const HWND texts[] = {w.form.handle(), w.form.stamp_type_label, w.form.execute_button,
                          w.form.clear_button, w.form.stamp_type_selector};
    std::vector<std::wstring> before;
    for (HWND window : texts) before.push_back(WindowFixture::Text(window));
    struct Case {
        const char* name;
        int dpi;
    } cases[] = {{"to 144 dpi", 144}, {"back to 96 dpi", 96}};
    for (const auto& c : cases) {
        const Size suggested = ChangeDpi(w, c.dpi);
        ASSERT_EQ(w.form.dpi(), c.dpi) << c.name;
        // The suggested size, or the minimum where that is more (Wine's thin
        // frame puts the base layout's client area below the minimum outer size).
        const Rect outer = WindowFixture::Frame(w.form.handle());
        EXPECT_EQ((Size{outer.width, outer.height}),
                  (Size{std::max(suggested.width, Scaled(430, c.dpi)),
                        std::max(suggested.height, Scaled(200, c.dpi))}))
            << c.name;
        RECT client;
        GetClientRect(w.form.handle(), &client);
        const Shown shown =
            LaidOut(w, client.right - Scaled(414, c.dpi), client.bottom - Scaled(248, c.dpi));
        EXPECT_EQ(WindowFixture::Frame(w.form.file_list), shown.list) << c.name;
        EXPECT_EQ(WindowFixture::Frame(w.form.bottom_panel), shown.panel) << c.name;
        EXPECT_EQ(WindowFixture::Frame(w.form.execute_button), shown.execute) << c.name;
        EXPECT_EQ(WindowFixture::Frame(w.form.clear_button), shown.clear) << c.name;
        const Rect label = WindowFixture::Frame(w.form.stamp_type_label);
        EXPECT_EQ((Rect{label.left, label.top, 0, label.height}), At(w, 12, 13, 0, 13)) << c.name;
        ExpectComboBoxAt(w, 88, 10);
        EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETITEMHEIGHT, 0, 0), Scaled(13, c.dpi))
            << c.name;
        EXPECT_EQ(FontOf(w.form.file_list).lfHeight, FontHeight(8, c.dpi)) << c.name;
        // The texts stay; none is cut off, and every control lies in its parent.
        for (std::size_t i = 0; i < std::size(texts); ++i)
            EXPECT_EQ(WindowFixture::Text(texts[i]), before[i]) << c.name;
        for (HWND control : {w.form.stamp_type_label, w.form.execute_button, w.form.clear_button})
            EXPECT_GE(WindowFixture::Frame(control).width, TextWidthIn(control)) << c.name;
        for (HWND control :
             {w.form.file_list, w.form.bottom_panel, w.form.stamp_type_label,
              w.form.stamp_type_selector, w.form.execute_button, w.form.clear_button}) {
            const Rect frame = WindowFixture::Frame(control);
            RECT parent;
            GetClientRect(GetParent(control), &parent);
            EXPECT_TRUE(frame.left >= 0 && frame.top >= 0 &&
                        frame.left + frame.width <= parent.right &&
                        frame.top + frame.height <= parent.bottom)
                << c.name << ": " << frame;
        }
    }
}

TEST(FormShow, VersionFailureKeepsTheCreatedNamesAndPlaces) {
    // The test program carries no version resource.
    WindowFixture w(OwnPath());
    w.Show();
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].text, L"アサートの失敗 (Main, 327 行)");
    EXPECT_EQ(w.errors.shown[0].title, FromWtf8(ApplicationTitle(OwnPath())));
    EXPECT_EQ(WindowFixture::Text(w.form.handle()), L"FormMain");
    EXPECT_EQ(WindowFixture::Text(w.form.execute_button), L"ButtonExecute");
    EXPECT_EQ(WindowFixture::Text(w.form.clear_button), L"ButtonClear");
    EXPECT_EQ(WindowFixture::Frame(w.form.execute_button), At(w, 265, 8, 75, 25));
    EXPECT_EQ(WindowFixture::Frame(w.form.clear_button), At(w, 355, 8, 75, 25));
    // The window still works in full.
    test::MakeFile(w.files / "a.jpg", kFileTime);
    w.Drop({w.files / "a.jpg"});
    w.Click(w.form.execute_button);
    EXPECT_EQ(w.Entries(), Paths{w.files / "20110915_a.jpg"});
}

TEST(ListKeys, DeleteRemovesTheMarkedEntries) {
    struct Case {
        const char* name;
        Rows marked;
        WORD key;
        bool shift;
        bool alt;
        Paths remaining;
    } cases[] = {
        {"second and fifth", {1, 4}, VK_DELETE, false, false, {"a", "c", "d", "f"}},
        {"nothing marked", {}, VK_DELETE, false, false, {"a", "b", "c", "d", "e", "f"}},
        {"with Shift", {1, 4}, VK_DELETE, true, false, {"a", "c", "d", "f"}},
        {"with Alt", {0}, VK_DELETE, false, true, {"b", "c", "d", "e", "f"}},
        {"another key", {1, 4}, VK_BACK, false, false, {"a", "b", "c", "d", "e", "f"}},
        {"all", {0, 1, 2, 3, 4, 5}, VK_DELETE, false, false, {}},
    };
    for (const auto& c : cases) {
        WindowFixture w;
        w.Show();
        // Listed unchecked, as names that do not exist are.
        w.Drop({"a", "b", "c", "d", "e", "f"});
        w.Mark(c.marked);
        w.PressOnList(c.key, c.shift, c.alt);
        EXPECT_EQ(w.Entries(), c.remaining) << c.name;
        EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETCOUNT, 0, 0),
                  static_cast<LRESULT>(c.remaining.size()))
            << c.name;
        EXPECT_TRUE(w.errors.shown.empty()) << c.name;
    }
}

TEST(Marks, ADropKeepsTheMarksOfTheEntriesThatStay) {
    WindowFixture w;
    w.Show();
    w.Drop({"a", "b", "c", "d", "e", "f"});
    w.Mark({1, 4});
    SendMessageW(w.form.file_list, LB_SETCARETINDEX, 4, FALSE);
    // "B" brings b again: it leaves its place (and its mark) for the new batch.
    w.Drop({"x", "B"});
    EXPECT_EQ(w.Entries(), (Paths{"a", "c", "d", "e", "f", "B", "x"}));
    EXPECT_EQ(w.Marked(), Rows{3});
    EXPECT_EQ(w.Current(), 3);
    // Delete takes the marked entry; the current entry's follower takes over.
    w.PressOnList(VK_DELETE);
    EXPECT_EQ(w.Entries(), (Paths{"a", "c", "d", "f", "B", "x"}));
    EXPECT_EQ(w.Marked(), Rows{});
    EXPECT_EQ(w.Current(), 3);
}

TEST(Handlers, ExecuteRenamesEveryEntryAndTakesTheirMarks) {
    WindowFixture w;
    w.Show();
    test::MakeFile(w.files / "b.jpg", kFileTime);
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "20010101_c.jpg", kFileTime);
    w.Drop({w.files.path()});
    SendMessageW(w.form.stamp_type_selector, CB_SETCURSEL, 2, 0);
    w.Mark({0, 2});
    SendMessageW(w.form.file_list, LB_SETCARETINDEX, 1, FALSE);
    w.Click(w.form.execute_button);
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915-123456_c.jpg", w.files / "20110915-123456_a.jpg",
                     w.files / "20110915-123456_b.jpg"}));
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915-123456_a.jpg", "20110915-123456_b.jpg", "20110915-123456_c.jpg"}));
    EXPECT_EQ(w.Marked(), Rows{});
    EXPECT_EQ(w.Current(), 1);
    EXPECT_TRUE(w.errors.shown.empty());
}

// The error's text and the model's marks are the model's tests'; here the
// list box itself shows them and is emptied by Clear.
TEST(Handlers, APassStoppedByAnErrorUnmarksOnlyTheEntriesItWroteBack) {
    WindowFixture w;
    w.Show();
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "c.jpg", kFileTime);
    w.Drop({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"});
    w.Mark({0, 1, 2});
    w.Click(w.form.execute_button);
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].title, L"Tavrel");
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915_a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    EXPECT_EQ(w.Marked(), (Rows{1, 2}));
    w.Click(w.form.clear_button);
    EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETCOUNT, 0, 0), 0);
}

TEST(Handlers, TheUndoCommandUndoesThePass) {
    WindowFixture w;
    w.Show();
    test::MakeFile(w.files / "a.jpg", kFileTime);
    w.Drop({w.files / "a.jpg"});
    w.Click(w.form.execute_button);
    ASSERT_EQ(test::Names(w.files.path()), Paths{"20110915_a.jpg"});
    // As the Ctrl+Z shortcut sends it.
    SendMessageW(w.form.handle(), WM_COMMAND, MAKEWPARAM(MainWindow::kUndoId, 1), 0);
    w.form.model().WaitForWork();
    EXPECT_EQ(test::Names(w.files.path()), Paths{"a.jpg"});
    EXPECT_EQ(w.Entries(), Paths{w.files / "a.jpg"});
}

// Which stamp type Clear restores is the model's; here a stored type outside
// 0..2 leaves the selector showing none.
TEST(Handlers, ClearEmptiesTheListAndRestoresTheStoredStampType) {
    WindowFixture w;
    w.Show();
    test::WriteText(w.settings_path, "StampType:7");
    w.Drop({"x", "y"});
    w.Click(w.form.clear_button);
    EXPECT_TRUE(w.Entries().empty());
    EXPECT_EQ(SendMessageW(w.form.stamp_type_selector, CB_GETCURSEL, 0, 0), -1);
}

TEST(Close, WritesTheSettingsFileOrStaysOpen) {
    {
        WindowFixture w;
        w.Show();
        SendMessageW(w.form.stamp_type_selector, CB_SETCURSEL, 2, 0);
        SendMessageW(w.form.handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(w.form.handle(), nullptr);
        EXPECT_EQ(test::ReadText(w.settings_path), "StampType:2\r\n");
        EXPECT_TRUE(w.errors.shown.empty());
    }
    {
        // The settings file's folder does not exist: the window stays open.
        WindowFixture w(test::ProgramPath(), "missing\\setup.ini");
        w.Show();
        SendMessageW(w.form.handle(), WM_CLOSE, 0, 0);
        EXPECT_NE(w.form.handle(), nullptr);
        EXPECT_TRUE(IsWindowVisible(w.form.handle()));
        ASSERT_EQ(w.errors.shown.size(), 1u);
        const std::wstring start =
            L"ファイル \"" + FromWtf8(w.settings_path) + L"\" を作成できません。";
        EXPECT_EQ(w.errors.shown[0].text.substr(0, start.size()), start);
    }
}

TEST(Drop, PathsComeWholeAndInOneSortedBatch) {
    WindowFixture w;
    w.Show();
    const std::string smiley = "z\xF0\x9F\x98\x80.jpg";  // U+1F600 lies outside the BMP
    test::MakeFolder(w.files / "dir");
    test::MakeFile(w.files / "dir\\b.jpg", kFileTime);
    test::MakeFile(w.files / smiley, kFileTime);
    test::MakeFile(w.files / "earlier.jpg", kFileTime);
    w.Drop({w.files / "earlier.jpg"});
    // Longer than the 1023 characters a fixed buffer would hold.
    const std::string long_path = w.files / (std::string(1500, 'n') + ".jpg");
    w.Drop({w.files / smiley, w.files / "dir", long_path});
    EXPECT_EQ(w.Entries(), (Paths{w.files / "earlier.jpg", w.files / "dir\\b.jpg", long_path,
                                  w.files / smiley}));
    EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETCOUNT, 0, 0), 4);
    // The long name names no file: off the list before the pass.
    w.Mark({2});
    w.PressOnList(VK_DELETE);
    w.Click(w.form.execute_button);
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_earlier.jpg", "20110915_" + smiley, "dir"}));
    EXPECT_EQ(test::Names(w.files / "dir"), Paths{"20110915_b.jpg"});
    EXPECT_TRUE(w.errors.shown.empty());
}

// A drop of a folder whose files lie 300 to 400 characters deep: all are
// listed, and Execute renames them, two that take the same name apart.
TEST(Drop, ATreeOfLongPathsIsWalkedAndRenamed) {
    WindowFixture w;
    w.Show();
    std::string folder = w.files.path();
    std::vector<std::string> levels;
    for (const char* level : {"first level ", "second level ", "third level "}) {
        folder += "\\" + (level + std::string(90, 'x'));
        test::MakeFolder(folder);
        levels.push_back(folder);
    }
    const std::string second = levels[1] + "\\";
    const std::string third = levels[2] + "\\";
    ASSERT_GT((third + "a.jpg").size(), 300u);
    test::MakeFile(second + "b c.jpg", kFileTime);
    test::MakeFile(third + "a.jpg", kFileTime);
    test::MakeFile(third + "20000101_a.jpg", kFileTime);
    w.Drop({levels[0]});
    const Paths dropped{second + "b c.jpg", third + "20000101_a.jpg", third + "a.jpg"};
    Paths listed = w.Entries();
    EXPECT_TRUE(std::is_permutation(dropped.begin(), dropped.end(), listed.begin(), listed.end()));
    w.Click(w.form.execute_button);
    EXPECT_TRUE(w.errors.shown.empty());
    EXPECT_EQ(test::Names(levels[1]), (Paths{"20110915_b c.jpg", levels[2].substr(second.size())}));
    // The plain name, and the one with a collision tag.
    Paths renamed = test::Names(levels[2]);
    ASSERT_EQ(renamed.size(), 2u);
    if (renamed[0].size() > renamed[1].size()) std::swap(renamed[0], renamed[1]);
    EXPECT_EQ(renamed[0], "20110915_a.jpg");
    const Paths expected{second + "20110915_b c.jpg", third + renamed[0], third + renamed[1]};
    listed = w.Entries();
    EXPECT_TRUE(
        std::is_permutation(expected.begin(), expected.end(), listed.begin(), listed.end()));
}

TEST(ComboBox, TypedTextIsNoStampType) {
    WindowFixture w;
    w.Show();
    SendMessageW(w.form.stamp_type_selector, CB_SETCURSEL, 2, 0);
    HWND edit = FindWindowExW(w.form.stamp_type_selector, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    for (const wchar_t typed : std::wstring(L"my type\r")) SendMessageW(edit, WM_CHAR, typed, 1);
    w.Pump();
    EXPECT_EQ(SendMessageW(w.form.stamp_type_selector, CB_GETCOUNT, 0, 0), 3);
    SendMessageW(w.form.handle(), WM_CLOSE, 0, 0);
    const int selected = static_cast<int>(
        w.form.handle() ? SendMessageW(w.form.stamp_type_selector, CB_GETCURSEL, 0, 0)
                        : w.session.stamp_type());
    EXPECT_EQ(w.session.stamp_type(), selected);
    EXPECT_EQ(test::ReadText(w.settings_path), "StampType:" + std::to_string(selected) + "\r\n");
}

TEST(Settings, ChangeBroadcastAndNewTaskbarReloadTheRegionalFormats) {
    WindowFixture w;
    SendMessageW(w.form.handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(w.reloads, 1);
    SendMessageW(w.form.handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(w.reloads, 2);
}

// The entries' texts as another program reads them from the list box.
std::vector<std::string> ListBoxTexts(HWND list) {
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1,
                          L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        texts.push_back(ToWtf8(text));
    }
    return texts;
}

TEST(LargeList, AMillionEntriesStayUsable) {
    WindowFixture w;
    w.Show();
    FileList& list = w.session.file_list();
    // As a drop of a big folder leaves the list, less its last entry, which a
    // drop of its own brings.
    for (int i = 0; i < 999'999; ++i) list.Append("C:\\big\\" + std::to_string(i) + ".jpg");
    w.Drop({"C:\\big\\999999.jpg"});
    EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETCOUNT, 0, 0), 1'000'000);
    SendMessageW(w.form.file_list, LB_SETTOPINDEX, 999'990, 0);
    UpdateWindow(w.form.file_list);
    w.Mark({0, 999'999});
    w.PressOnList(VK_DELETE);
    EXPECT_EQ(list.size(), 999'998u);
    EXPECT_EQ(SendMessageW(w.form.file_list, LB_GETCOUNT, 0, 0), 999'998);
    EXPECT_EQ(list[0], "C:\\big\\1.jpg");
    wchar_t text[32] = {};
    SendMessageW(w.form.file_list, LB_GETTEXT, 999'997, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"C:\\big\\999998.jpg");
    EXPECT_TRUE(w.errors.shown.empty());
}

// The list boxes' own window procedure, and one in its place that has room for
// three strings only: it refuses the rest.
WNDPROC list_box_procedure = nullptr;
LRESULT CALLBACK RoomForThree(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    if ((message == LB_ADDSTRING || message == LB_INSERTSTRING) &&
        CallWindowProcW(list_box_procedure, list, LB_GETCOUNT, 0, 0) >= 3)
        return LB_ERRSPACE;
    return CallWindowProcW(list_box_procedure, list, message, wparam, lparam);
}

TEST(LargeList, EntriesTheListBoxRefusesAreNotListed) {
    WindowFixture w;
    w.Show();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        test::MakeFile(w.files / name, kFileTime);
    // The window fills its list box through the class's procedure.
    list_box_procedure = reinterpret_cast<WNDPROC>(
        SetClassLongPtrW(w.form.file_list, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(RoomForThree)));
    struct Restore {
        HWND list;
        ~Restore() {
            SetClassLongPtrW(list, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(list_box_procedure));
        }
    } restore{w.form.file_list};
    w.Drop({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg", w.files / "d.jpg"});
    ASSERT_EQ(w.errors.shown.size(), 1u);
    EXPECT_EQ(w.errors.shown[0].text, L"行を挿入できません.");
    const Paths shown{w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"};
    EXPECT_EQ(w.Entries(), shown);
    EXPECT_EQ(ListBoxTexts(w.form.file_list), shown);
    // Execute renames what the user sees, and nothing else.
    w.Click(w.form.execute_button);
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_a.jpg", "20110915_b.jpg", "20110915_c.jpg", "d.jpg"}));
    EXPECT_EQ(ListBoxTexts(w.form.file_list), w.Entries());
}

// A key pressed on a control as the program's message loop sees it, with Ctrl
// held down or not: the window's shortcuts first, then the dialog keys.
void PressKey(WindowFixture& w, HWND control, WORD key, bool control_down = false) {
    BYTE keys[256], changed[256];
    GetKeyboardState(keys);
    std::memcpy(changed, keys, sizeof keys);
    changed[VK_CONTROL] = control_down ? 0x80 : 0;
    SetKeyboardState(changed);
    MSG message{control, WM_KEYDOWN, key, 1, 0, {}};
    if (!w.form.TranslateShortcut(message) && !IsDialogMessageW(w.form.handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    SetKeyboardState(keys);
    w.form.model().WaitForWork();
    WindowFixture::Pump();
}

// Puts data on the clipboard as another program would, and pastes it with Ctrl+V.
void CopyAndPaste(WindowFixture& w, UINT format, HANDLE data) {
    ASSERT_TRUE(OpenClipboard(w.form.handle()));
    EmptyClipboard();
    SetClipboardData(format, data);
    CloseClipboard();
    PressKey(w, w.form.file_list, 'V', true);
}

// How pasted text is split is the model's; here the window reads the files
// Explorer copies (CF_HDROP) and a path as text, and Return on Execute goes
// through the dialog keys to the button.
TEST(Keys, CopiedFilesArePastedAndReturnPressesExecute) {
    WindowFixture w;
    w.Show();
    for (const char* name : {"a.jpg", "c d.jpg", "left.jpg"})
        test::MakeFile(w.files / name, kFileTime);
    CopyAndPaste(w, CF_HDROP, test::MakeDrop({w.files / "a.jpg"}));
    // Quoted, as Explorer's "Copy as path" writes it.
    const std::wstring text = L"\"" + FromWtf8(w.files / "c d.jpg") + L"\"\r\n";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    CopyAndPaste(w, CF_UNICODETEXT, memory);
    EXPECT_EQ(w.Entries(), (Paths{w.files / "a.jpg", w.files / "c d.jpg"}));
    SetFocus(w.form.execute_button);
    PressKey(w, w.form.execute_button, VK_RETURN);
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_a.jpg", "20110915_c d.jpg", "left.jpg"}));
    EXPECT_TRUE(w.errors.shown.empty());
}

}  // namespace
}  // namespace tavrel::win32
