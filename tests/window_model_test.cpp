#include "app/window_model.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "base/errors.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "test_support.h"

namespace tavrel {
namespace {

using Paths = std::vector<std::string>;
constexpr std::int64_t kFileTime = 1316090096;  // 2011-09-15 12:34:56 UTC

// A window that records what the model shows on it.
class FakeView final : public WindowView {
public:
    void ShowTitle(const std::string& text) override { title = text; }
    void ShowButtonCaptions(const std::string& execute, const std::string& clear) override {
        captions = execute + "|" + clear;
    }
    Size PanelSize() const override { return {414, 41}; }
    Size ExecuteButtonSize() const override { return {75, 25}; }
    Size ClearButtonSize() const override { return {75, 25}; }
    void MoveButtons(const ButtonPlaces& places) override { buttons = places; }
    ListMarks ReadMarks() const override { return marks; }
    std::size_t ShowList(const ListUpdate& update) override {
        last_update = update;
        marks = update.marks;
        return room;
    }
    void ShowStampType(int stamp_type) override { shown_stamp_type = chosen = stamp_type; }
    int ChosenStampType() const override { return chosen; }
    void ShowError(const std::string& title, const std::string& text) override {
        errors.push_back(title + "|" + text);
    }
    void TickWhileWorking(bool working) override { ticking = working; }
    void WakeFromWorker() override { woken = true; }
    void ShowProgress(const std::optional<WorkProgress>& shown) override { progress = shown; }

    std::string title = "FormMain", captions;
    ButtonPlaces buttons;
    ListMarks marks;
    ListUpdate last_update;
    int shown_stamp_type = -2, chosen = 1;
    // How many entries the list control has room for.
    std::size_t room = SIZE_MAX;
    std::vector<std::string> errors;
    bool ticking = false;
    std::atomic<bool> woken = false;
    std::optional<WorkProgress> progress;
};

struct ModelFixture {
    explicit ModelFixture(std::function<std::string(const std::string&)> version =
                              [](const std::string&) { return std::string("1.2.0.13"); })
        : model(WindowModelServices{session, "/opt/TAVREL.bin", std::move(version)}, view) {}

    // Runs a handler that may start work, and the work to its end.
    bool Run(bool started) { return model.WaitForWork() && started; }

    Paths Entries() const {
        Paths paths;
        for (std::size_t i = 0; i < session.file_list().size(); ++i)
            paths.push_back(session.file_list()[i]);
        return paths;
    }

    test::TempDir files, settings_dir;
    PosixFileSystem file_system;
    MonotonicClock clock;
    RegionalFormats formats = RegionalFormats::Reference();
    std::unique_ptr<TextOrdering> ordering = MakeIcuTextOrdering("C");
    RenameSession session{
        SessionServices{file_system, clock, formats, *ordering, settings_dir / "setup.ini"}};
    FakeView view;
    WindowModel model;
};

TEST(WindowModel, ShowHandlingOrItsErrorWithTheApplicationTitle) {
    ModelFixture shown;
    EXPECT_TRUE(shown.model.WindowShown());
    EXPECT_EQ(shown.view.title, "Tavrel v1.2.0.13");
    EXPECT_EQ(shown.view.captions, "Execute|Clear");
    // u = 75 / 5: Execute at 414 - 12u, Clear at 414 - 6u, both centred.
    EXPECT_EQ(shown.view.buttons, (ButtonPlaces{{234, 8}, {324, 8}}));
    EXPECT_TRUE(shown.view.errors.empty());

    ModelFixture failed([](const std::string&) -> std::string { throw Error("no version"); });
    EXPECT_FALSE(failed.model.WindowShown());
    EXPECT_EQ(failed.view.errors, Paths{"Tavrel|no version."});
    EXPECT_EQ(failed.view.title, "FormMain");
    EXPECT_EQ(failed.view.captions, "");
}

TEST(WindowModel, ExecuteStopsAtTheFirstErrorAndShowsHowFarItGot) {
    ModelFixture w;
    test::MakeFile(w.files / "a.jpg", kFileTime);
    test::MakeFile(w.files / "c.jpg", kFileTime);
    ASSERT_TRUE(
        w.Run(w.model.FilesDropped({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"})));
    w.view.marks = ListMarks{{0, 1, 2}, 2, 0};
    w.view.chosen = 1;
    EXPECT_FALSE(w.Run(w.model.ExecuteClicked()));
    EXPECT_EQ(w.view.errors, Paths{"Tavrel|日付に変換できない値が渡されました."});
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915_a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    EXPECT_EQ(w.view.last_update.rewritten, 1u);
    // The rewritten entry loses its mark; the others and the current entry stay.
    EXPECT_EQ(w.view.marks, (ListMarks{{1, 2}, 2, 0}));
}

TEST(WindowModel, DropAndDeleteKeepTheMarksOfTheEntriesThatStay) {
    ModelFixture w;
    ASSERT_TRUE(w.Run(w.model.FilesDropped({"a", "b", "c", "d"})));
    w.view.marks = ListMarks{{1, 3}, 3, 1};
    // "b" comes again: it leaves its place for the end of the new batch.
    ASSERT_TRUE(w.Run(w.model.FilesDropped({"b"})));
    EXPECT_EQ(w.Entries(), (Paths{"a", "c", "d", "b"}));
    EXPECT_EQ(w.view.last_update.removed, (std::vector<std::size_t>{1}));
    EXPECT_EQ(w.view.marks, (ListMarks{{2}, 2, 1}));

    w.view.marks = ListMarks{{0, 2}, 2, 0};
    ASSERT_TRUE(w.model.DeletePressed());
    EXPECT_EQ(w.Entries(), (Paths{"c", "b"}));
    EXPECT_EQ(w.view.marks, (ListMarks{{}, 1, 0}));
    // Nothing marked: nothing to do, and nothing redrawn.
    w.view.last_update = ListUpdate{};
    ASSERT_TRUE(w.model.DeletePressed());
    EXPECT_EQ(w.Entries(), (Paths{"c", "b"}));
    EXPECT_TRUE(w.view.last_update.removed.empty());
}

TEST(WindowModel, TheFileListIsWhatTheListControlHasRoomFor) {
    ModelFixture w;
    ASSERT_TRUE(w.Run(w.model.FilesDropped({"a", "b"})));
    w.view.room = 3;
    EXPECT_FALSE(w.Run(w.model.FilesDropped({"c", "d", "e"})));
    EXPECT_EQ(w.view.errors, Paths{"Tavrel|行を挿入できません."});
    // The entries before the refused one stay; the rest are not listed, so
    // Execute cannot reach them.
    EXPECT_EQ(w.Entries(), (Paths{"a", "b", "c"}));
}

TEST(WindowModel, ClearAndCloseGoThroughTheSettingsFile) {
    ModelFixture w;
    test::MakeFile(w.settings_dir / "setup.ini", 0, "StampType:0\r\n");
    ASSERT_TRUE(w.Run(w.model.FilesDropped({"a"})));
    ASSERT_TRUE(w.model.ClearClicked());
    EXPECT_TRUE(w.Entries().empty());
    EXPECT_TRUE(w.view.last_update.reset);
    EXPECT_EQ(w.view.shown_stamp_type, 0);

    // Closing stores the type chosen in the selector.
    w.view.chosen = 2;
    EXPECT_TRUE(w.model.CloseRequested());
    EXPECT_EQ(test::ReadFile(w.settings_dir / "setup.ini"), "StampType:2\r\n");
    // A settings file that cannot be written keeps the window open.
    ModelFixture unwritable;
    ::rmdir(unwritable.settings_dir.path().c_str());
    EXPECT_FALSE(unwritable.model.CloseRequested());
    ASSERT_EQ(unwritable.view.errors.size(), 1u);
    EXPECT_EQ(unwritable.view.errors[0].rfind("Tavrel|ファイル \"", 0), 0u)
        << unwritable.view.errors[0];
}

TEST(WindowModel, UndoNamesThePassBackAndReportsTheFilesItCannot) {
    ModelFixture w;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) test::MakeFile(w.files / name, kFileTime);
    ASSERT_TRUE(
        w.Run(w.model.FilesDropped({w.files / "a.jpg", w.files / "b.jpg", w.files / "c.jpg"})));
    ASSERT_TRUE(w.Run(w.model.ExecuteClicked()));
    // Since the pass, b's old name was taken and c went away.
    test::MakeFile(w.files / "b.jpg", kFileTime, "another file");
    ASSERT_EQ(::rename((w.files / "20110915_c.jpg").c_str(), (w.files / "elsewhere").c_str()), 0);
    EXPECT_TRUE(w.model.CanUndo());
    EXPECT_TRUE(w.Run(w.model.UndoRequested()));
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_b.jpg", "a.jpg", "b.jpg", "elsewhere"}));
    EXPECT_EQ(test::ReadFile(w.files / "b.jpg"), "another file");
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "a.jpg", w.files / "20110915_b.jpg", w.files / "20110915_c.jpg"}));
    EXPECT_EQ(w.view.errors,
              Paths{"Tavrel|2 files keep their new names: their old names are taken, or they "
                    "are gone:\n" +
                    w.files / "20110915_b.jpg" + "\n" + w.files / "20110915_c.jpg"});
    // Once only.
    EXPECT_FALSE(w.model.CanUndo());
    EXPECT_TRUE(w.Run(w.model.UndoRequested()));
    EXPECT_EQ(w.view.errors.size(), 1u);
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_b.jpg", "a.jpg", "b.jpg", "elsewhere"}));
}

TEST(WindowModel, UndoIsOfferedUntilTheNextDropPassOrClear) {
    const std::vector<std::pair<const char*, std::function<void(WindowModel&)>>> cases = {
        {"drop", [](WindowModel& m) { m.FilesDropped({"other"}), m.WaitForWork(); }},
        {"clear", [](WindowModel& m) { m.ClearClicked(); }},
        {"pass", [](WindowModel& m) { m.ExecuteClicked(), m.WaitForWork(); }},
        {"close", [](WindowModel& m) { m.CloseRequested(); }},
    };
    for (const auto& [name, after_pass] : cases) {
        ModelFixture w;
        test::MakeFile(w.files / "a.jpg", kFileTime);
        ASSERT_TRUE(w.Run(w.model.FilesDropped({w.files / "a.jpg"})));
        ASSERT_TRUE(w.Run(w.model.ExecuteClicked()));
        after_pass(w.model);
        EXPECT_FALSE(w.model.CanUndo()) << name;
        w.Run(w.model.UndoRequested());
        EXPECT_EQ(test::Names(w.files.path()), Paths{"20110915_a.jpg"}) << name;
    }
    // A close that fails leaves the window open, and its undo with it.
    ModelFixture open;
    test::MakeFile(open.files / "a.jpg", kFileTime);
    ASSERT_TRUE(open.Run(open.model.FilesDropped({open.files / "a.jpg"})));
    ASSERT_TRUE(open.Run(open.model.ExecuteClicked()));
    ::rmdir(open.settings_dir.path().c_str());
    EXPECT_FALSE(open.model.CloseRequested());
    EXPECT_TRUE(open.model.CanUndo());

    // Deleting entries leaves the pass to undo: the files go back, the list
    // shows the entries that stay.
    ModelFixture w;
    for (const char* name : {"a.jpg", "b.jpg"}) test::MakeFile(w.files / name, kFileTime);
    ASSERT_TRUE(w.Run(w.model.FilesDropped({w.files / "a.jpg", w.files / "b.jpg"})));
    ASSERT_TRUE(w.Run(w.model.ExecuteClicked()));
    w.view.marks = ListMarks{{0}, 0, 0};
    ASSERT_TRUE(w.model.DeletePressed());
    ASSERT_TRUE(w.Run(w.model.UndoRequested()));
    EXPECT_EQ(test::Names(w.files.path()), (Paths{"a.jpg", "b.jpg"}));
    EXPECT_EQ(w.Entries(), Paths{w.files / "b.jpg"});
}

TEST(WindowTexts, ErrorTextGetsAPeriodAfterCharactersAboveIt) {
    struct Case {
        const char* message;
        const char* text;
    } cases[] = {
        {"日付に変換できない値が渡されました", "日付に変換できない値が渡されました."},
        {"ends with a period.", "ends with a period."},
        {"ends with a blank ", "ends with a blank "},
        {"ends with a comma,", "ends with a comma,"},
        {"ends with a parenthesis (41)", "ends with a parenthesis (41)"},
        {"ends with a slash/", "ends with a slash/."},
        {"ends with a digit 7", "ends with a digit 7."},
        {"ends with a character beyond the BMP \xF0\x9F\x98\x80",
         "ends with a character beyond the BMP \xF0\x9F\x98\x80."},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowErrorText(c.message), c.text) << c.message;
}

TEST(WindowTexts, ApplicationTitleFromTheProgramName) {
    struct Case {
        const char* path;
        const char* title;
    } cases[] = {
        {"/usr/bin/tavrel", "tavrel"},
        {"/opt/TAVREL.EXE", "Tavrel"},
        {"/x/Tavrel.v2.bin", "Tavrel"},
        {"/x/.hidden", ""},
        {"/x/ÄÖÜ", "Äöü"},
        {"/x/\xF0\x90\x90\x80"
         "AB",
         "\xF0\x90\x90\x80"
         "ab"},
        {"relative", "relative"},
    };
    for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

}  // namespace
}  // namespace tavrel
