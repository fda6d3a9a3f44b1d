#include "app/rename_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "stamp/date_conversion_error.h"
#include "test_support.h"

namespace tavrel {
namespace {

using Paths = std::vector<std::string>;

class RenameSessionTest : public ::testing::Test {
protected:
    Paths Entries() const {
        Paths paths;
        for (std::size_t i = 0; i < session_.file_list().size(); ++i)
            paths.push_back(session_.file_list()[i]);
        return paths;
    }
    std::string Path(const std::string& name) const { return dir_ / name; }
    void Make(const std::string& name) { test::MakeFile(Path(name), 1316090096); }
    void StoreSettings(const std::string& text) {
        test::MakeFile(settings_dir_ / "setup.ini", 0, text);
    }

    test::TempDir dir_;
    test::TempDir settings_dir_;
    PosixFileSystem file_system_;
    MonotonicClock clock_;
    RegionalFormats formats_ = RegionalFormats::Reference();
    std::unique_ptr<TextOrdering> ordering_ = MakeIcuTextOrdering("C");
    RenameSession session_{
        SessionServices{file_system_, clock_, formats_, *ordering_, settings_dir_ / "setup.ini"}};
};

TEST_F(RenameSessionTest, InitializeRestoresTheStoredStampType) {
    struct Case {
        const char* settings;  // nullptr: no settings file
        int stamp_type;
    } cases[] = {
        {nullptr, 1},        {"StampType:2\r\n", 2}, {"StampType:0", 0},
        {"StampType:5", -1}, {"StampType:-1", -1},   {"StampType:x", 1},
    };
    for (const auto& c : cases) {
        if (c.settings) StoreSettings(c.settings);
        session_.SelectStampType(0);
        session_.file_list().Append("/left/over");
        EXPECT_EQ(session_.Initialize({}), -1);
        EXPECT_EQ(session_.stamp_type(), c.stamp_type) << (c.settings ? c.settings : "none");
        EXPECT_TRUE(session_.file_list().empty());
    }
}

TEST_F(RenameSessionTest, CommandLineRunRenamesAndNeverWritesSettings) {
    Make("b.jpg");
    test::MakeDirectory(Path("sub"));
    Make("sub/a.jpg");
    EXPECT_EQ(session_.Initialize({Path("sub"), Path("b.jpg")}), 0);
    EXPECT_EQ(Entries(), (Paths{Path("20110915_b.jpg"), Path("sub/20110915_a.jpg")}));
    EXPECT_FALSE(test::Exists(settings_dir_ / "setup.ini"));

    StoreSettings("StampType:2");
    EXPECT_EQ(session_.Initialize({Path("20110915_b.jpg")}), 0);
    EXPECT_EQ(Entries(), (Paths{Path("20110915-123456_b.jpg")}));
    EXPECT_EQ(test::ReadFile(settings_dir_ / "setup.ini"), "StampType:2");
}

TEST_F(RenameSessionTest, PassStopsAtTheFirstErrorKeepingWhatWasDone) {
    Make("a.jpg");
    Make("c.jpg");
    session_.AddBatch({Path("c.jpg"), Path("b-missing.jpg"), Path("a.jpg")});
    EXPECT_THROW(session_.RenamePass(), DateConversionError);
    EXPECT_EQ(session_.entries_written_back(), 1u);
    EXPECT_EQ(Entries(), (Paths{Path("20110915_a.jpg"), Path("b-missing.jpg"), Path("c.jpg")}));
    EXPECT_EQ(test::Names(dir_.path()), (Paths{"20110915_a.jpg", "c.jpg"}));
}

TEST_F(RenameSessionTest, LaterEntriesSeeNamesTakenByEarlierOnes) {
    Make("x.jpg");
    Make("20100101_x.jpg");
    session_.AddBatch({Path("x.jpg"), Path("20100101_x.jpg")});
    session_.RenamePass();
    EXPECT_EQ(session_.entries_written_back(), 2u);
    const Paths entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], Path("20110915_x.jpg"));
    EXPECT_NE(entries[1], entries[0]);
    EXPECT_TRUE(test::Exists(entries[1]));
    session_.file_list().Clear();
    session_.RenamePass();  // an empty list: nothing happens
    EXPECT_EQ(session_.entries_written_back(), 0u);
}

// The real file system, fenced: listing a directory or renaming a file that
// lies outside the fence fails the test at once, before anything out there is
// touched (the check looks through links, as the kernel does).
class FencedFileSystem : public PosixFileSystem {
public:
    explicit FencedFileSystem(const std::string& fence) : fence_(Resolved(fence) + "/") {}

    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override {
        Check(path + "/");
        return PosixFileSystem::ReadDirectory(path, link);
    }
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        Check(from.substr(0, from.rfind('/') + 1));
        return PosixFileSystem::RenameNoReplace(from, to);
    }

private:
    static std::string Resolved(const std::string& path) {
        char resolved[PATH_MAX];
        return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    }
    void Check(const std::string& directory) const {
        const std::string at = Resolved(directory) + "/";
        if (at.compare(0, fence_.size(), fence_) != 0)
            throw std::runtime_error("outside the dropped folder: " + directory);
    }
    std::string fence_;
};

TEST(DroppedFolder, LinksToTheRootASiblingAndAnAncestorLeadNowhereOutside) {
    test::TempDir top;
    test::MakeDirectory(top / "drop");
    test::MakeDirectory(top / "drop/sub");
    test::MakeDirectory(top / "sibling");
    test::MakeFile(top / "drop/a.jpg", 1316090096);
    test::MakeFile(top / "drop/sub/b.jpg", 1316090096);
    test::MakeFile(top / "sibling/c.jpg", 1316090096);
    test::MakeFile(top / "d.jpg", 1316090096);
    ASSERT_EQ(::symlink("/", (top / "drop/root").c_str()), 0);
    ASSERT_EQ(::symlink("../../sibling", (top / "drop/sub/sibling").c_str()), 0);
    ASSERT_EQ(::symlink("../..", (top / "drop/sub/ancestor").c_str()), 0);

    FencedFileSystem file_system(top / "drop");
    MonotonicClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const auto ordering = MakeIcuTextOrdering("C");
    RenameSession session(
        SessionServices{file_system, clock, formats, *ordering, top / "setup.ini"});
    ASSERT_NO_THROW(session.AddBatch({top / "drop"}));
    ASSERT_EQ(session.file_list().size(), 2u);
    ASSERT_NO_THROW(session.RenamePass());
    EXPECT_EQ(test::FilesBelow(top.path()),
              (Paths{"d.jpg", "drop/20110915_a.jpg", "drop/sub/20110915_b.jpg", "sibling/c.jpg"}));
}

}  // namespace
}  // namespace tavrel
