// Which reads ahead the rename ledger sends to be read again: those that a
// rename made since they began, or one handed over and not finished, may have
// changed.

#include "pass/rename_ledger.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

const FileIdentity kFolder{1, 10}, kOtherFolder{1, 11};
const FileIdentity kFile{1, 100}, kOtherFile{1, 101};
const EntryKey kEntry{kFolder, "a.jpg"};

TEST(RenameLedger, ReadsThatMayHaveMissedARename) {
    struct Case {
        const char* name;
        // Renames recorded before the read began, and after.
        bool before_read;
        std::optional<EntryKey> from, to;
        std::optional<FileIdentity> file;
        bool missed;
    };
    const Case cases[] = {
        {"the entry renamed away since", false, kEntry, EntryKey{kFolder, "b.jpg"}, kOtherFile,
         true},
        {"the entry taken since", false, EntryKey{kFolder, "c.jpg"}, kEntry, kOtherFile, true},
        {"the file renamed under another path since", false, EntryKey{kOtherFolder, "h.jpg"},
         EntryKey{kOtherFolder, "x_h.jpg"}, kFile, true},
        {"the same name in another folder", false, EntryKey{kOtherFolder, "a.jpg"},
         EntryKey{kOtherFolder, "x_a.jpg"}, kOtherFile, false},
        {"the entry renamed before the read began", true, kEntry, EntryKey{kFolder, "b.jpg"}, kFile,
         false},
        {"a rename whose entries are not known", false, std::nullopt, std::nullopt, kOtherFile,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RenameLedger ledger;
        if (c.before_read) ledger.Record(c.from, c.to, c.file);
        const RenameLedger::Mark began = ledger.Now();
        if (!c.before_read) ledger.Record(c.from, c.to, c.file);
        EXPECT_EQ(ledger.MayHaveMissed(began, kEntry, kFile), c.missed);
    }
}

TEST(RenameLedger, AHandedOverRenameCountsUntilItIsFinished) {
    RenameLedger ledger;
    const EntryKey hard_link{kOtherFolder, "h.jpg"};
    ledger.Expect(hard_link, kFile);
    // Expected: whether or not it was made yet, a read of the same entry or
    // file cannot be trusted.
    EXPECT_TRUE(ledger.MayHaveMissed(ledger.Now(), kEntry, kFile));
    EXPECT_TRUE(ledger.MayHaveMissed(ledger.Now(), hard_link, kOtherFile));
    EXPECT_FALSE(ledger.MayHaveMissed(ledger.Now(), kEntry, kOtherFile));
    ledger.Finish(hard_link, kFile);
    ledger.Record(hard_link, EntryKey{kOtherFolder, "x_h.jpg"}, kFile);
    // A read that began after the rename saw it; later reads are judged later.
    const RenameLedger::Mark after = ledger.Now();
    EXPECT_FALSE(ledger.MayHaveMissed(after, kEntry, kFile));
    EXPECT_FALSE(ledger.MayHaveMissed(after, hard_link, kOtherFile));
}

}  // namespace
}  // namespace tavrel
