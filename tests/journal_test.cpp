// The journal of rename runs: its bytes read back, its batches, the journals
// kept in the folder, and which run an undo takes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

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

std::string Bytes(const std::vector<JournalRename>& renames) {
    std::string bytes;
    AppendJournalHeader(bytes, kHeader);
    for (const auto& rename : renames) AppendJournalRename(bytes, rename.before, rename.after);
    return bytes;
}

TEST(JournalFormat, EveryByteOfANameRoundTrips) {
    const auto contents = ParseJournal(Bytes(kHostile));
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->header, kHeader);
    EXPECT_EQ(contents->renames, kHostile);
    EXPECT_EQ(contents->left_to_undo, kHostile.size());
}

TEST(JournalFormat, ARecordCutShortIsLeftOutWithWhatFollows) {
    const std::string whole = Bytes(kHostile);
    std::vector<std::size_t> record_ends;  // where each whole record ends
    for (std::size_t n = 0; n <= kHostile.size(); ++n)
        record_ends.push_back(Bytes({kHostile.begin(), kHostile.begin() + n}).size());
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        const auto contents = ParseJournal(std::string_view(whole).substr(0, cut));
        if (cut < record_ends[0]) {
            EXPECT_FALSE(contents) << "cut at " << cut;
            continue;
        }
        ASSERT_TRUE(contents) << "cut at " << cut;
        std::size_t whole_records = 0;
        while (whole_records < kHostile.size() && record_ends[whole_records + 1] <= cut)
            ++whole_records;
        EXPECT_EQ(contents->renames,
                  std::vector<JournalRename>(kHostile.begin(), kHostile.begin() + whole_records))
            << "cut at " << cut;
    }
}

TEST(JournalFormat, TheLastUndoTellsWhatIsLeft) {
    std::string bytes = Bytes(kHostile);
    AppendJournalUndo(bytes, 3);
    AppendJournalUndo(bytes, 1);
    EXPECT_EQ(ParseJournal(bytes)->left_to_undo, 1u);
    EXPECT_FALSE(ParseJournal("R 1:a 1:b\n")) << "no header";
}

// A journal folder in memory that counts its writes and can refuse them.
class MemoryFolder final : public JournalFolder {
public:
    struct File final : AppendingFile {
        MemoryFolder& folder;
        std::string name;
        File(MemoryFolder& f, std::string n) : folder(f), name(std::move(n)) {}
        int Append(std::string_view bytes) override {
            if (folder.refuse_writes) return ENOSPC;
            ++folder.writes;
            folder.files[name].append(bytes);
            return 0;
        }
    };
    const std::string& Path() const override { return path; }
    int Make() override { return refuse_make ? EROFS : 0; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : files) names.push_back(name);
        return names;
    }
    std::unique_ptr<AppendingFile> CreateNew(const std::string& name, int& error) override {
        if (files.count(name)) {
            error = EEXIST;
            return nullptr;
        }
        files[name];
        return std::make_unique<File>(*this, name);
    }
    std::unique_ptr<AppendingFile> OpenToAppend(const std::string& name, int& error) override {
        error = files.count(name) ? 0 : ENOENT;
        return error ? nullptr : std::make_unique<File>(*this, name);
    }
    int Read(const std::string& name, std::string& contents) override {
        contents = files[name];
        return 0;
    }
    int Remove(const std::string& name) override { return files.erase(name) ? 0 : ENOENT; }

    std::string path = "/state/tavrel";
    std::map<std::string, std::string> files;
    int writes = 0;
    bool refuse_make = false, refuse_writes = false;
};

struct SteppedClock final : Clock {
    std::uint32_t Counter() override { return 0; }
    std::int64_t Milliseconds() override { return now; }
    std::int64_t UtcSeconds() override { return 1796760967; }
    std::int64_t now = 0;
};

TEST(RunJournal, WritesInBatchesOfRenamesOrTime) {
    struct Case {
        const char* name;
        int renames;
        std::int64_t step_ms;  // the clock's step after each rename
        int writes_before_finish, writes;
    };
    const Case cases[] = {
        {"nothing renamed: no journal", 0, 0, 0, 0},
        {"a batch every 256 renames", 600, 0, 2, 3},
        {"a batch every 100 ms", 10, 50, 4, 5},
    };
    for (const Case& c : cases) {
        MemoryFolder folder;
        SteppedClock clock;
        RunJournal journal(folder, clock, kHeader);
        for (int i = 0; i < c.renames; ++i) {
            journal.Renamed("/w/" + std::to_string(i), "/w/s_" + std::to_string(i));
            clock.now += c.step_ms;
        }
        EXPECT_EQ(folder.writes, c.writes_before_finish) << c.name;
        journal.Finish();
        EXPECT_EQ(folder.writes, c.writes) << c.name;
        EXPECT_EQ(folder.files.size(), c.renames ? 1u : 0u) << c.name;
        if (c.renames == 0) continue;
        const auto contents = ParseJournal(folder.files.begin()->second);
        ASSERT_TRUE(contents) << c.name;
        EXPECT_EQ(contents->renames.size(), static_cast<std::size_t>(c.renames)) << c.name;
        EXPECT_EQ(contents->header.when, 1796760967) << c.name;
    }
}

TEST(RunJournal, AJournalThatCannotBeWrittenIsGivenUp) {
    for (const bool at_make : {true, false}) {
        MemoryFolder folder;
        SteppedClock clock;
        folder.refuse_make = at_make;
        folder.refuse_writes = !at_make;
        RunJournal journal(folder, clock, kHeader);
        for (int i = 0; i < 300; ++i) journal.Renamed("a", "b");
        journal.Finish();
        EXPECT_TRUE(journal.failed()) << at_make;
        EXPECT_EQ(folder.writes, 0) << at_make;
    }
}

TEST(RunJournal, RelativePathsAreRecordedBelowTheWorkingFolder) {
    MemoryFolder folder;
    SteppedClock clock;
    {
        RunJournal journal(folder, clock, {0, "window", 1, "/home/u"});
        journal.Renamed("p/a.jpg", "p/s_a.jpg");
        journal.Renamed("/abs/b.jpg", "/abs/s_b.jpg");
    }
    EXPECT_EQ(ParseJournal(folder.files.begin()->second)->renames,
              (std::vector<JournalRename>{{"/home/u/p/a.jpg", "/home/u/p/s_a.jpg"},
                                          {"/abs/b.jpg", "/abs/s_b.jpg"}}));
}

TEST(JournalShelf, KeepsTheNewestRunsPrivately) {
    test::TempDir state;
    const auto folder = MakeJournalFolderAt(state / "deep/tavrel");
    SteppedClock clock;
    for (int run = 0; run < 25; ++run) {
        RunJournal journal(*folder, clock, kHeader);
        journal.Renamed("/a", "/run" + std::to_string(run));
    }
    const auto names = JournalNames(*folder);
    ASSERT_EQ(names.size(), kJournalsKept);
    EXPECT_EQ(names.front(), "run-0000000006.journal");
    EXPECT_EQ(names.back(), "run-0000000025.journal");
    struct stat st;
    ASSERT_EQ(::stat((state / "deep/tavrel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((state / "deep/tavrel/" + names.back()).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(JournalShelf, AnUndoTakesTheNewestRunLeftToUndo) {
    MemoryFolder folder;
    SteppedClock clock;
    for (const char* after : {"/old", "/new"}) {
        RunJournal journal(folder, clock, kHeader);
        journal.Renamed("/a", after);
    }
    folder.files["notes.txt"] = "not a journal";
    auto run = NewestRunToUndo(folder);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->contents.renames[0].after, "/new");
    ASSERT_EQ(MarkUndone(folder, run->name, 0), 0);
    run = NewestRunToUndo(folder);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->contents.renames[0].after, "/old");
    ASSERT_EQ(MarkUndone(folder, run->name, 0), 0);
    EXPECT_FALSE(NewestRunToUndo(folder));
}

}  // namespace
}  // namespace tavrel
