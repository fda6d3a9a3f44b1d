#include "app/window_model.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "app/outcome_texts.h"
#include "app/pasted_text.h"
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
    void ShowDateTaken(bool on) override { date_taken_checked = on; }
    void ShowError(const std::string& title, const std::string& text) override {
        errors.push_back(title + "|" + text);
    }
    bool AskYesNo(const std::string& title, const std::string& text) override {
        questions.push_back(title + "|" + text);
        return answer;
    }
    void TickWhileWorking(bool working) override { ticking = working; }
    void WakeFromWorker() override { woken = true; }
    void ShowProgress(const std::optional<WorkProgress>& shown) override { progress = shown; }
    void Announce(const std::string& text) override { announced.push_back(text); }

    std::vector<std::string> announced;
    std::string title = "FormMain", captions;
    ButtonPlaces buttons;
    ListMarks marks;
    ListUpdate last_update;
    int shown_stamp_type = -2, chosen = 1;
    bool date_taken_checked = false;
    // How many entries the list control has room for.
    std::size_t room = SIZE_MAX;
    std::vector<std::string> errors, questions;
    bool answer = false;  // to each question
    bool ticking = false;
    std::atomic<bool> woken = false;
    std::optional<WorkProgress> progress;
};

// The real file system, whose renames and directory reads can be held: the
// call counted `hold_at` (from 1) waits inside until the test releases it, so
// the test acts while work is in hand at a chosen file.
class HeldFileSystem final : public PosixFileSystem {
public:
    void HoldAt(int call) {
        std::lock_guard lock(mutex_);
        calls_ = 0;
        hold_at_ = call;
        held_ = released_ = false;
    }
    void WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return held_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    int RenameNoReplace(const std::string& from, const std::string& to) override {
        Pass();
        return PosixFileSystem::RenameNoReplace(from, to);
    }
    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override {
        Pass();
        return PosixFileSystem::ReadDirectory(path, link);
    }

private:
    void Pass() {
        std::unique_lock lock(mutex_);
        if (++calls_ != hold_at_) return;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0, hold_at_ = 0;
    bool held_ = false, released_ = false;
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

    test::TempDir files, settings_dir, state_dir;
    HeldFileSystem file_system;
    MonotonicClock clock;
    RegionalFormats formats = RegionalFormats::Reference();
    std::unique_ptr<TextOrdering> ordering = MakeIcuTextOrdering("C");
    std::unique_ptr<JournalFolder> journals = MakeJournalFolderAt(state_dir / "tavrel");
    RenameSession session{SessionServices{
        file_system, clock, formats, *ordering, settings_dir / "setup.ini", {}, journals.get()}};
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
    EXPECT_EQ(w.view.announced.back(),
              "Stopped after 1 of 3 files; 1 renamed: 日付に変換できない値が渡されました.");
    EXPECT_EQ(w.Entries(),
              (Paths{w.files / "20110915_a.jpg", w.files / "b.jpg", w.files / "c.jpg"}));
    EXPECT_EQ(w.view.last_update.rewritten, 1u);
    // The rewritten entry loses its mark; the others and the current entry stay.
    EXPECT_EQ(w.view.marks, (ListMarks{{1, 2}, 2, 0}));
    // The window goes on.
    EXPECT_TRUE(w.model.ClearClicked());
    EXPECT_TRUE(w.Entries().empty());
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

TEST(WindowModel, DateTakenShownInItsItemAndTitleRestoredByClearAndStoredOnClose) {
    ModelFixture w;
    test::MakeFile(w.settings_dir / "setup.ini", 0, "StampType:2\r\nDateTaken:1\r\n");
    w.model.Reset();
    ASSERT_TRUE(w.model.WindowShown());
    EXPECT_TRUE(w.view.date_taken_checked);
    EXPECT_EQ(w.view.title, "Tavrel v1.2.0.13 - date taken");
    w.model.DateTakenChosen(false);
    EXPECT_EQ(w.view.title, "Tavrel v1.2.0.13");
    ASSERT_TRUE(w.model.ClearClicked());
    EXPECT_TRUE(w.view.date_taken_checked);
    // Closing writes the second line only while the date taken is on.
    EXPECT_TRUE(w.model.CloseRequested());
    EXPECT_EQ(test::ReadFile(w.settings_dir / "setup.ini"), "StampType:2\r\nDateTaken:1\r\n");
    w.model.DateTakenChosen(false);
    EXPECT_TRUE(w.model.CloseRequested());
    EXPECT_EQ(test::ReadFile(w.settings_dir / "setup.ini"), "StampType:2\r\n");
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
    EXPECT_EQ(w.view.announced.back(), "1 of 3 files named back; 2 keep their new names.");
    // Once only.
    EXPECT_FALSE(w.model.CanUndo());
    EXPECT_TRUE(w.Run(w.model.UndoRequested()));
    EXPECT_EQ(w.view.errors.size(), 1u);
    EXPECT_EQ(test::Names(w.files.path()),
              (Paths{"20110915_b.jpg", "a.jpg", "b.jpg", "elsewhere"}));
}

TEST(WindowModel, UndoInANewWindowOffersTheNewestRunOfTheJournal) {
    for (const bool yes : {true, false}) {
        ModelFixture w;
        for (const char* name : {"a.jpg", "b.jpg"}) test::MakeFile(w.files / name, kFileTime);
        ASSERT_TRUE(w.Run(w.model.FilesDropped({w.files.path()})));
        ASSERT_TRUE(w.Run(w.model.ExecuteClicked()));
        ASSERT_TRUE(w.model.CloseRequested());
        // A window started again, with one renamed file dropped on it.
        FakeView view;
        view.answer = yes;
        WindowModel again(WindowModelServices{w.session, "/opt/TAVREL.bin",
                                              [](const std::string&) { return "1.2.0.13"; }},
                          view);
        again.Reset();
        const auto run = [&again](bool started) { return again.WaitForWork() && started; };
        ASSERT_TRUE(run(again.FilesDropped({w.files / "20110915_b.jpg"})));
        EXPECT_FALSE(again.CanUndo());
        EXPECT_TRUE(run(again.UndoRequested()));
        ASSERT_EQ(view.questions.size(), 1u);
        EXPECT_NE(view.questions[0].find(": 2 files in "), std::string::npos) << view.questions[0];
        EXPECT_EQ(test::Names(w.files.path()),
                  yes ? (Paths{"a.jpg", "b.jpg"}) : (Paths{"20110915_a.jpg", "20110915_b.jpg"}));
        EXPECT_EQ(w.Entries(), Paths{w.files / (yes ? "b.jpg" : "20110915_b.jpg")});
        // Undone once: nothing more is offered; refused: offered again.
        EXPECT_TRUE(run(again.UndoRequested()));
        EXPECT_EQ(view.questions.size(), yes ? 1u : 2u) << yes;
    }
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

TEST(WindowWork, APassHeldAtAFileLeavesTheWindowAnsweringAndStopsThereOnEsc) {
    ModelFixture w;
    int reloads = 0;
    WindowModel model(WindowModelServices{w.session, "/opt/TAVREL.bin",
                                          [](const std::string&) { return std::string("1.2"); },
                                          [&reloads] { ++reloads; }},
                      w.view);
    ASSERT_TRUE(model.WindowShown());
    Paths names;
    for (char c = 'a'; c <= 'j'; ++c) names.push_back(std::string(1, c) + ".jpg");
    Paths dropped;
    for (const auto& name : names) {
        test::MakeFile(w.files / name, kFileTime);
        dropped.push_back(w.files / name);
    }
    ASSERT_TRUE(model.FilesDropped(dropped) && model.WaitForWork());

    w.file_system.HoldAt(4);
    ASSERT_TRUE(model.ExecuteClicked());
    w.file_system.WaitUntilHeld();
    EXPECT_TRUE(model.Working());
    EXPECT_TRUE(w.view.ticking);
    // Everything that would change the list or the stamp type is refused
    // without a word; regional settings wait for the pass to end.
    w.view.marks = ListMarks{{0, 1}, 0, 0};
    EXPECT_TRUE(model.DeletePressed());
    EXPECT_TRUE(model.ClearClicked());
    EXPECT_TRUE(model.FilesDropped({w.files / "x"}));
    EXPECT_TRUE(model.ExecuteClicked());
    EXPECT_TRUE(model.UndoRequested());
    model.StampTypeChosen(0);
    EXPECT_EQ(w.view.shown_stamp_type, 1);
    model.DateTakenChosen(true);
    EXPECT_FALSE(w.session.date_taken());
    EXPECT_FALSE(w.view.date_taken_checked);
    EXPECT_TRUE(model.RegionalSettingsChanged());
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(w.session.file_list().size(), 10u);
    // Half a second of ticks before the progress shows: three files done.
    for (int tick = 0; tick < 4; ++tick) model.WorkTick();
    EXPECT_EQ(w.view.title, "Tavrel v1.2");
    EXPECT_FALSE(w.view.progress);
    model.WorkTick();
    EXPECT_EQ(w.view.title, "Tavrel v1.2 \u2014 3 / 10");
    EXPECT_EQ(w.view.progress, (WorkProgress{3, 10}));

    // Esc: the file in hand is finished, no further one started.
    model.CancelRequested();
    w.file_system.Release();
    EXPECT_TRUE(model.WaitForWork());
    EXPECT_FALSE(model.Working());
    EXPECT_FALSE(w.view.ticking);
    EXPECT_EQ(w.view.title, "Tavrel v1.2");
    EXPECT_FALSE(w.view.progress);
    EXPECT_EQ(reloads, 1);
    Paths expected;
    for (std::size_t i = 0; i < names.size(); ++i)
        expected.push_back(w.files / (i < 4 ? "20110915_" + names[i] : names[i]));
    EXPECT_EQ(w.Entries(), expected);
    EXPECT_EQ(w.view.announced.back(), "Stopped by Esc after 4 of 10 files; 4 renamed.");
    Paths on_disk = expected;
    for (auto& path : on_disk) path = path.substr(w.files.path().size() + 1);
    std::sort(on_disk.begin(), on_disk.end());
    EXPECT_EQ(test::Names(w.files.path()), on_disk);

    // The stopped pass is undone like a pass: held at its second file and
    // stopped, it has named back the last two renamed; the rest stays to undo.
    w.file_system.HoldAt(2);
    ASSERT_TRUE(model.UndoRequested());
    w.file_system.WaitUntilHeld();
    model.CancelRequested();
    w.file_system.Release();
    EXPECT_TRUE(model.WaitForWork());
    EXPECT_EQ(w.Entries()[1], w.files / "20110915_b.jpg");
    EXPECT_EQ(w.Entries()[2], w.files / "c.jpg");
    EXPECT_EQ(w.view.announced.back(), "Stopped by Esc after 2 of 4 files; 2 named back.");
    EXPECT_TRUE(model.CanUndo());
    EXPECT_TRUE(model.UndoRequested() && model.WaitForWork());
    EXPECT_EQ(w.Entries(), dropped);
    EXPECT_EQ(test::Names(w.files.path()), names);
    EXPECT_FALSE(model.CanUndo());
    EXPECT_TRUE(w.view.errors.empty());
}

TEST(WindowWork, AStoppedDropAddsNothingAndAClosedPassLosesNothing) {
    ModelFixture w;
    for (const char* folder : {"one", "two", "three"}) {
        test::MakeDirectory(w.files / folder);
        for (const char* name : {"a.jpg", "b.jpg"})
            test::MakeFile(w.files / folder + "/" + name, kFileTime);
    }
    // Held at the third folder's listing: the files of two folders found.
    w.file_system.HoldAt(4);
    ASSERT_TRUE(w.model.FilesDropped({w.files.path()}));
    w.file_system.WaitUntilHeld();
    for (int tick = 0; tick < 5; ++tick) w.model.WorkTick();
    EXPECT_EQ(w.view.title, "FormMain \u2014 4");
    EXPECT_EQ(w.view.progress, (WorkProgress{4, 0}));
    w.model.CancelRequested();
    w.file_system.Release();
    EXPECT_TRUE(w.model.WaitForWork());
    EXPECT_TRUE(w.Entries().empty());
    EXPECT_EQ(w.view.title, "FormMain");

    // Closing in the middle of a pass: the pass stops, every file bears its
    // old name or its new one, the list says which, and the settings are
    // written.
    ASSERT_TRUE(w.Run(w.model.FilesDropped({w.files.path()})));
    w.file_system.HoldAt(3);
    ASSERT_TRUE(w.model.ExecuteClicked());
    w.file_system.WaitUntilHeld();
    w.file_system.Release();
    EXPECT_TRUE(w.model.CloseRequested());
    EXPECT_FALSE(w.model.Working());
    EXPECT_EQ(test::ReadFile(w.settings_dir / "setup.ini"), "StampType:1\r\n");
    std::size_t renamed = 0;
    for (const auto& entry : w.Entries()) {
        EXPECT_TRUE(test::Exists(entry)) << entry;
        renamed += entry.find("/20110915_") != std::string::npos;
    }
    EXPECT_GE(renamed, 3u);
    EXPECT_EQ(w.Entries().size(), 6u);
}

TEST(WindowModel, APasteAddsAsADropAndOneOfNothingIsAnnounced) {
    ModelFixture w;
    test::MakeFile(w.files / "a.jpg", kFileTime);
    ASSERT_TRUE(w.Run(w.model.FilesPasted({w.files / "a.jpg"})));
    // The folder holds only the file listed already.
    ASSERT_TRUE(w.Run(w.model.FilesPasted({w.files.path()})));
    EXPECT_TRUE(w.Run(w.model.FilesPasted({})));
    EXPECT_EQ(w.Entries(), Paths{w.files / "a.jpg"});
    EXPECT_EQ(w.view.announced,
              (Paths{"1 file added; 1 in the list.", "0 files added; 1 in the list.",
                     "The clipboard holds no files."}));
}

TEST(WindowTexts, OneFileKeptIsSaidInTheSingular) {
    EXPECT_EQ(UndoOutcomeText({2, 3, 3, false, ""}, 1),
              "2 of 3 files named back; 1 keeps its new name.");
}

TEST(PastedText, LinesAreToldApartIntoPathsAndUris) {
    // LF and CR LF; empty lines, comments and relative names left out; quotes
    // taken off; a Windows path is no POSIX path, a drive letter no URI scheme.
    PastedLines lines =
        SplitPastedText("/a b\r\n\n#c\na.jpg\n./b\n~/c\n\"/q\"\n\"C:\\x\"\nfile:///c%20d\r\n/e",
                        IsAbsolutePosixPath);
    EXPECT_EQ(lines.paths, (Paths{"/a b", "/q", "/e"}));
    EXPECT_EQ(lines.uris, Paths{"file:///c%20d"});
    lines = SplitPastedText("\"C:\\x y\\z\"\r\n\\\\srv\\share\\f\r\nc:/q\r\nC:rel\r\nsmb://srv/f",
                            IsAbsoluteWindowsPath);
    EXPECT_EQ(lines.paths, (Paths{"C:\\x y\\z", "\\\\srv\\share\\f", "c:/q"}));
    EXPECT_EQ(lines.uris, Paths{"smb://srv/f"});
    EXPECT_EQ(CopiedFilesUris("copy\nfile:///a\nfile:///b%20c\n"),
              (Paths{"file:///a", "file:///b%20c"}));
    EXPECT_EQ(CopiedFilesUris("cut\r\nfile:///a"), Paths{"file:///a"});
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
