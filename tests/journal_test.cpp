// The journal of rename runs: its bytes read back, its batches, and the
// journals kept in the folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "pass/journal_format.h"
#include "pass/journal_shelf.h"
#include "pass/run_journal.h"
#include "test_support.h"

namespace tavrel {
namespace {

const JournalHeader kHeader{1796760967, "command line", 2, "/home/u/a\nb"};

// Names no text format would carry as they are.
const std::vector<JournalRename> kHostile = {
    {"/p/a\nb.jpg", "/p/20110914_a\nb.jpg"},
    {"/p/\xff\xfe.jpg", "/p/20110914_\xff\xfe.jpg"},
    {"/p/-R 12:x\n", "/p/20110914_-R 12:x\n"},
    {std::string("/p/nul\0.jpg", 11), "/p/ .jpg"},
};

// The header and the first `renames` of kHostile.
std::string Bytes(std::size_t renames) {
    std::string bytes;
    AppendJournalHeader(bytes, kHeader);
    for (std::size_t i = 0; i < renames; ++i)
        AppendJournalRename(bytes, kHostile[i].before, kHostile[i].after);
    return bytes;
}

// Cut at any byte: the whole records come back, every byte of them.
TEST(JournalFormat, ARecordCutShortIsLeftOutWithWhatFollows) {
    const std::string whole = Bytes(kHostile.size());
    for (std::size_t cut = 0, records = 0; cut <= whole.size(); ++cut) {
        while (records < kHostile.size() && Bytes(records + 1).size() <= cut) ++records;
        const auto contents = ParseJournal(std::string_view(whole).substr(0, cut));
        ASSERT_EQ(contents.has_value(), cut >= Bytes(0).size()) << "cut at " << cut;
        if (!contents) continue;
        EXPECT_EQ(contents->header, kHeader);
        EXPECT_EQ(contents->renames,
                  decltype(kHostile)(kHostile.begin(), kHostile.begin() + records))
            << "cut at " << cut;
    }
}

struct SteppedClock final : Clock {
    std::uint32_t Counter() override { return 0; }
    std::int64_t Milliseconds() override { return now; }
    std::int64_t UtcSeconds() override { return 1796760967; }
    std::int64_t now = 0;
};

// What reaches the journal's file as the run goes is what a run killed then
// leaves to undo.
TEST(RunJournal, WritesInBatchesOfRenamesOrTime) {
    // Renames, the clock's step after each, and renames on disk before Finish.
    const struct {
        const char* name;
        int renames;
        std::int64_t step_ms;
        std::size_t on_disk_before_finish;
    } cases[] = {{"nothing renamed: no journal", 0, 0, 0},
                 {"a batch every 256 renames", 600, 0, 512},
                 {"a batch every 100 ms", 10, 50, 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir state;
        const auto folder = MakeJournalFolderAt(state / "tavrel");
        const auto on_disk = [&folder] {
            const auto run = NewestRunToUndo(*folder);
            return run ? run->contents.renames.size() : 0;
        };
        SteppedClock clock;
        RunJournal journal(*folder, clock, {0, "window", 1, "/w"});
        for (int i = 0; i < c.renames; ++i, clock.now += c.step_ms)
            journal.Renamed("/w/" + std::to_string(i), "/w/s_" + std::to_string(i));
        EXPECT_EQ(on_disk(), c.on_disk_before_finish);
        journal.Finish();
        EXPECT_EQ(on_disk(), static_cast<std::size_t>(c.renames));
        EXPECT_EQ(JournalNames(*folder).size(), c.renames ? 1u : 0u);
        if (c.renames == 0) continue;
        EXPECT_EQ(NewestRunToUndo(*folder)->contents.header.when, 1796760967);
    }
}

// A write that failed part-way leaves a record cut short: nothing written
// after it may join it.
TEST(RunJournal, NothingIsWrittenAfterAFailedWrite) {
    struct FullFolder final : JournalFolder {
        struct File final : AppendingFile {
            int& appends;
            explicit File(int& a) : appends(a) {}
            int Append(std::string_view) override { return ++appends, ENOSPC; }
        };
        using Ptr = std::unique_ptr<AppendingFile>;
        const std::string& Path() const override { return path; }
        int Make() override { return 0; }
        std::vector<std::string> Names() override { return {}; }
        Ptr CreateNew(const std::string&, int&) override { return std::make_unique<File>(appends); }
        Ptr OpenToAppend(const std::string&, int&) override { return {}; }
        int Read(const std::string&, std::string&) override { return ENOENT; }
        int Remove(const std::string&) override { return ENOENT; }
        std::string path = "/state/tavrel";
        int appends = 0;
    } folder;
    SteppedClock clock;
    RunJournal journal(folder, clock, kHeader);
    for (int i = 0; i < 600; ++i) journal.Renamed("/a", "/b");
    journal.Finish();
    EXPECT_TRUE(journal.failed());
    EXPECT_EQ(folder.appends, 1);
}

// The newest runs are kept, readable by their user only; other files are no
// journals and stay. The last undo record of a run counts: undone whole, the
// run before it is the one left to undo.
TEST(JournalShelf, KeepsTheNewestRunsPrivatelyAndOffersTheNewestNotUndone) {
    test::TempDir state;
    const std::string path = state / "deep/tavrel";
    const auto folder = MakeJournalFolderAt(path);
    SteppedClock clock;
    for (int run = 0; run < 25; ++run) {
        RunJournal journal(*folder, clock, kHeader);
        journal.Renamed("/a", "/run" + std::to_string(run));
        if (run == 0) test::MakeFile(path + "/notes.txt", 0);
    }
    const auto names = JournalNames(*folder);
    ASSERT_EQ(names.size(), kJournalsKept);
    EXPECT_EQ(names.front(), "run-0000000006.journal");
    EXPECT_EQ(NewestRunToUndo(*folder)->contents.renames[0].after, "/run24");
    for (const std::size_t left : {1, 0}) ASSERT_EQ(MarkUndone(*folder, names.back(), left), 0);
    EXPECT_EQ(NewestRunToUndo(*folder)->contents.renames[0].after, "/run23");
    EXPECT_TRUE(test::Exists(path + "/notes.txt"));
    struct stat dir = {}, file = {};
    ::stat(path.c_str(), &dir);
    ::stat((path + "/" + names.back()).c_str(), &file);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace tavrel
