#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "collect/batch_merge.h"
#include "collect/collect_directory.h"
#include "collect/file_list.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/posix_file_system.h"
#include "test_support.h"

namespace tavrel {
namespace {

using Paths = std::vector<std::string>;

Paths Entries(const FileList& list) {
    Paths paths;
    for (std::size_t i = 0; i < list.size(); ++i) paths.push_back(list[i]);
    return paths;
}

class MergeTest : public ::testing::Test {
protected:
    Paths Merge(Paths batch) {
        SortBatch(batch, *ordering_);
        removed_ = MergeSortedBatch(list_, batch);
        return Entries(list_);
    }

    // The positions the last merge took out, as they were before it.
    std::vector<std::size_t> removed_;

    std::unique_ptr<TextOrdering> ordering_ = MakeIcuTextOrdering("C");
    FileList list_{*ordering_};
};

TEST_F(MergeTest, BatchesAreSortedAndAppendedWithPathsBroughtAgainMoved) {
    struct Step {
        const char* name;
        Paths batch;
        Paths list_after;
        std::vector<std::size_t> removed;
    } steps[] = {
        {"FirstBatchSorted",
         {"/p/c.txt", "/p/B.txt", "/p/a.txt"},
         {"/p/a.txt", "/p/B.txt", "/p/c.txt"},
         {}},
        {"NewFileLeavesOthersInPlace",
         {"/p/0.txt"},
         {"/p/a.txt", "/p/B.txt", "/p/c.txt", "/p/0.txt"},
         {}},
        {"ListedFileMovesToTheEnd",
         {"/p/a.txt"},
         {"/p/B.txt", "/p/c.txt", "/p/0.txt", "/p/a.txt"},
         {0}},
        {"OtherLetterCaseReplacesOldForm",
         {"/P/C.TXT"},
         {"/p/B.txt", "/p/0.txt", "/p/a.txt", "/P/C.TXT"},
         {1}},
        {"DuplicatesInABatchStay",
         {"/q/x", "/q/x"},
         {"/p/B.txt", "/p/0.txt", "/p/a.txt", "/P/C.TXT", "/q/x", "/q/x"},
         {}},
        {"EachPathBroughtRemovesOneEntry",
         {"/Q/X", "/q/X"},
         {"/p/B.txt", "/p/0.txt", "/p/a.txt", "/P/C.TXT", "/Q/X", "/q/X"},
         {4, 5}},
        {"BroughtOnceRemovesTheFirstOnly",
         {"/q/x", "/p/b.TXT"},
         {"/p/0.txt", "/p/a.txt", "/P/C.TXT", "/q/X", "/p/b.TXT", "/q/x"},
         {0, 4}},
        {"EmptyBatchChangesNothing",
         {},
         {"/p/0.txt", "/p/a.txt", "/P/C.TXT", "/q/X", "/p/b.TXT", "/q/x"},
         {}},
    };
    for (auto& step : steps) {
        EXPECT_EQ(Merge(step.batch), step.list_after) << step.name;
        EXPECT_EQ(removed_, step.removed) << step.name;
    }
}

TEST_F(MergeTest, EntriesChangedInPlaceAreFoundUnderTheirNewText) {
    Merge({"/p/a", "/p/b", "/p/c"});
    list_.Replace(1, "/p/20110915_b");
    EXPECT_EQ(Merge({"/p/20110915_B"}), (Paths{"/p/a", "/p/c", "/p/20110915_B"}));
    EXPECT_EQ(Merge({"/p/b"}), (Paths{"/p/a", "/p/c", "/p/20110915_B", "/p/b"}));
    list_.RemoveAt({0, 3, 0});
    EXPECT_EQ(Entries(list_), (Paths{"/p/c", "/p/20110915_B"}));
    EXPECT_EQ(Merge({"/P/A", "/p/C"}), (Paths{"/p/20110915_B", "/P/A", "/p/C"}));
}

TEST(TextOrdering, FoldsCaseInFullAndKeepsInvalidBytes) {
    const auto ordering = MakeIcuTextOrdering("C");
    auto same = [&](const std::string& a, const std::string& b) {
        return ordering->FoldKey(a) == ordering->FoldKey(b);
    };
    EXPECT_TRUE(same("/Photos/IMG.JPG", "/photos/img.jpg"));
    EXPECT_TRUE(same("/Straße", "/STRASSE"));
    EXPECT_TRUE(same("/ÉTÉ", "/été"));
    EXPECT_FALSE(same("/été", "/ete"));
    EXPECT_TRUE(same("/A\xFF", "/a\xFF"));
    EXPECT_FALSE(same("/a\xFF", "/a\xFE"));
    EXPECT_FALSE(same("/a\xC3", "/a\xC3\xA9"));
}

TEST(SortBatch, CollatesIgnoringCaseWithRepeatableTies) {
    struct Case {
        const char* locale;
        Paths batch;
        Paths sorted;
    } cases[] = {
        {"C", {"/p/B.txt", "/p/a.txt"}, {"/p/a.txt", "/p/B.txt"}},
        {"C", {"/p/b.txt", "/p/A/c.txt"}, {"/p/A/c.txt", "/p/b.txt"}},
        {"C", {"/p/x", "/p/X", "/p/x"}, {"/p/X", "/p/x", "/p/x"}},
        {"C", {"/p/e", "/p/é", "/p/f"}, {"/p/e", "/p/é", "/p/f"}},
        {"C", {"/p/\xFF", "/p/a"}, {"/p/a", "/p/\xFF"}},
        {"ja_JP.UTF-8", {"/p/イ", "/p/あ", "/p/B", "/p/a"}, {"/p/a", "/p/B", "/p/あ", "/p/イ"}},
        {"sv_SE.UTF-8", {"/p/ö", "/p/z", "/p/o"}, {"/p/o", "/p/z", "/p/ö"}},
        {"de_DE.UTF-8", {"/p/ö", "/p/z", "/p/o"}, {"/p/o", "/p/ö", "/p/z"}},
    };
    for (auto& c : cases) {
        const auto ordering = MakeIcuTextOrdering(c.locale);
        SortBatch(c.batch, *ordering);
        EXPECT_EQ(c.batch, c.sorted) << c.locale << " " << c.sorted.front();
    }
}

// A big batch is keyed and sorted in parts at once; the parts must come
// together in exactly the order a plain sort by key and then by bytes gives.
TEST(SortBatch, BigBatchInTheSameOrderAsAPlainSort) {
    const char* names[] = {"IMG_%05d.jpg", "img_%05d.JPG", "Été %05d",
                           "写真%05d.png", "bad\xFF%05d",  "same",
                           "ーの%05d",     "chyba%05d",    "côte%05d"};
    // Locales with contractions, prefix contexts and accents ordered from the end.
    for (const char* locale : {"C", "ja_JP.UTF-8", "sk_SK.UTF-8", "fr_CA.UTF-8"}) {
        const auto ordering = MakeIcuTextOrdering(locale);
        Paths batch;
        char name[64];
        for (int i = 0; i < 30000; ++i) {
            std::snprintf(name, sizeof name, names[i % 9], (i * 7919) % 10007);
            batch.push_back("/p/" + std::to_string(i % 3) + "/" + name);
        }
        Paths expected = batch;
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            const auto ka = ordering->SortKey(a);
            const auto kb = ordering->SortKey(b);
            return ka != kb ? ka < kb : a < b;
        });
        SortBatch(batch, *ordering);
        EXPECT_TRUE(batch == expected) << locale;
    }
}

class CollectTest : public ::testing::Test {
protected:
    Paths Collect(const std::string& directory) {
        Paths pending;
        CollectDirectory(directory, pending, file_system_);
        for (auto& path : pending) path = path.substr(dir_.path().size());
        std::sort(pending.begin(), pending.end());
        return pending;
    }
    void Make(const std::string& name) { test::MakeFile(dir_ / name, 1316090096); }
    void MakeDir(const std::string& name) { test::MakeDirectory(dir_ / name); }

    test::TempDir dir_;
    PosixFileSystem file_system_;
};

TEST_F(CollectTest, ListsEveryFileBelowButNoDirectory) {
    MakeDir("a");
    MakeDir("a/deep");
    MakeDir("a/deep/er");
    MakeDir("empty");
    MakeDir(".hidden");
    Make("top.txt");
    Make("a/one.txt");
    Make("a/deep/er/two.txt");
    Make(".hidden/.dotfile");
    Make("...");
    Make(".x");
    const Paths expected{"/...",       "/.hidden/.dotfile", "/.x", "/a/deep/er/two.txt",
                         "/a/one.txt", "/top.txt"};
    EXPECT_EQ(Collect(dir_.path()), expected);
    // A base that already ends in "/" gets no second one.
    EXPECT_EQ(Collect(dir_.path() + "/"), expected);
    EXPECT_EQ(Collect(dir_ / "empty"), Paths{});
    EXPECT_EQ(Collect(dir_ / "missing"), Paths{});
}

TEST_F(CollectTest, EntersALinkNamedDirectlyButNoLinkToADirectoryBelowIt) {
    MakeDir("real");
    Make("real/photo.jpg");
    MakeDir("walk");
    Make("walk/own.jpg");
    ::symlink("../real", (dir_ / "walk/linked").c_str());
    ::symlink("..", (dir_ / "walk/up").c_str());
    ::symlink("/", (dir_ / "walk/root").c_str());
    ::symlink(".", (dir_ / "real/self").c_str());
    ::symlink("photo.jpg", (dir_ / "real/alias.jpg").c_str());
    ::symlink("nowhere", (dir_ / "real/dangling").c_str());
    ::mkfifo((dir_ / "real/pipe").c_str(), 0644);
    ::symlink("real", (dir_ / "named").c_str());
    struct Case {
        const char* name;
        std::string directory;
        Paths files;
    } cases[] = {
        // Links to files (dangling ones too) are listed as files.
        {"a folder",
         dir_ / "real",
         {"/real/alias.jpg", "/real/dangling", "/real/photo.jpg", "/real/pipe"}},
        {"a link named directly",
         dir_ / "named",
         {"/named/alias.jpg", "/named/dangling", "/named/photo.jpg", "/named/pipe"}},
        {"links to a sibling, an ancestor and the root inside", dir_ / "walk", {"/walk/own.jpg"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Collect(c.directory), c.files) << c.name;
}

// A share as the desktop's FUSE mount shows it: links on the server are plain
// folders, and every path has an identity of its own.
class MadeUpIdentities : public PosixFileSystem {
public:
    std::optional<DirectoryListing> ReadDirectory(const std::string& path, LastStepLink) override {
        auto listing = PosixFileSystem::ReadDirectory(path, LastStepLink::kFollow);
        if (!listing) return listing;
        listing->inode = std::hash<std::string>{}(path);
        listing->identities_made_up = true;
        for (auto& entry : listing->entries) entry.is_link = false;
        return listing;
    }
};

TEST_F(CollectTest, WhereIdentitiesAreMadeUpAFolderRepeatingAnAncestorIsNotEntered) {
    MakeDir("sub");
    Make("sub/a.jpg");
    Make("sub/b.jpg");
    ::symlink(".", (dir_ / "sub/loop").c_str());
    ::symlink("../sub", (dir_ / "sub/up").c_str());
    // A copy of the folder's files one level down is a folder of its own.
    MakeDir("sub/copy");
    Make("sub/copy/a.jpg");
    Make("sub/copy/b.jpg");
    MadeUpIdentities file_system;
    Paths pending;
    CollectDirectory(dir_ / "sub", pending, file_system);
    for (auto& path : pending) path = path.substr(dir_.path().size());
    std::sort(pending.begin(), pending.end());
    EXPECT_EQ(pending, (Paths{"/sub/a.jpg", "/sub/b.jpg", "/sub/copy/a.jpg", "/sub/copy/b.jpg"}));
}

}  // namespace
}  // namespace tavrel
