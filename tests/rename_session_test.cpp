#include "app/rename_session.h"

#include <gtest/gtest.h>

#include "app/errors.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
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

TEST_F(RenameSessionTest, InitFormRestoresTheStoredStampType) {
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
        EXPECT_EQ(session_.InitForm({}), -1);
        EXPECT_EQ(session_.stamp_type(), c.stamp_type) << (c.settings ? c.settings : "none");
        EXPECT_TRUE(session_.file_list().empty());
    }
}

TEST_F(RenameSessionTest, CommandLineRunRenamesAndNeverWritesSettings) {
    Make("b.jpg");
    test::MakeDirectory(Path("sub"));
    Make("sub/a.jpg");
    EXPECT_EQ(session_.InitForm({Path("sub"), Path("b.jpg")}), 0);
    EXPECT_EQ(Entries(), (Paths{Path("20110915_b.jpg"), Path("sub/20110915_a.jpg")}));
    EXPECT_FALSE(test::Exists(settings_dir_ / "setup.ini"));

    StoreSettings("StampType:2");
    EXPECT_EQ(session_.InitForm({Path("20110915_b.jpg")}), 0);
    EXPECT_EQ(Entries(), (Paths{Path("20110915-123456_b.jpg")}));
    EXPECT_EQ(test::ReadFile(settings_dir_ / "setup.ini"), "StampType:2");
}

TEST_F(RenameSessionTest, PassStopsAtTheFirstErrorKeepingWhatWasDone) {
    Make("a.jpg");
    Make("c.jpg");
    session_.AddBatch({Path("c.jpg"), Path("b-missing.jpg"), Path("a.jpg")});
    EXPECT_THROW(session_.RenamePass(), DateConversionError);
    EXPECT_EQ(session_.last_pass_replaced(), 1u);
    EXPECT_EQ(Entries(), (Paths{Path("20110915_a.jpg"), Path("b-missing.jpg"), Path("c.jpg")}));
    EXPECT_EQ(test::Names(dir_.path()), (Paths{"20110915_a.jpg", "c.jpg"}));
}

TEST_F(RenameSessionTest, LaterEntriesSeeNamesTakenByEarlierOnes) {
    Make("x.jpg");
    Make("20100101_x.jpg");
    session_.AddBatch({Path("x.jpg"), Path("20100101_x.jpg")});
    session_.RenamePass();
    EXPECT_EQ(session_.last_pass_replaced(), 2u);
    const Paths entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], Path("20110915_x.jpg"));
    EXPECT_NE(entries[1], entries[0]);
    EXPECT_TRUE(test::Exists(entries[1]));
    session_.file_list().Clear();
    session_.RenamePass();  // an empty list: nothing happens
    EXPECT_EQ(session_.last_pass_replaced(), 0u);
}

}  // namespace
}  // namespace tavrel
