#include "stamp/stamp_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <regex>

#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "stamp/collision_tag.h"
#include "stamp/date_conversion_error.h"
#include "stamp/file_name.h"
#include "test_support.h"

namespace tavrel {
namespace {

using test::MakeDirectory;
using test::MakeFile;
using test::TempDir;

TEST(SplitPath, CutsDirectoryBaseNameAndExtension) {
    struct Case {
        const char* path;
        const char* directory;
        const char* base;
        const char* extension;
    } cases[] = {
        {"/photos/IMG_0001.jpg", "/photos/", "IMG_0001", ".jpg"},
        {"/photos/a.txt.b.txt", "/photos/", "a.txt.b", ".txt"},
        {"/photos/.profile", "/photos/", "", ".profile"},
        {"/photos/notes", "/photos/", "notes", ""},
        {"notes.txt", "", "notes", ".txt"},
        {"sub/dir.d/file", "sub/dir.d/", "file", ""},
        {"C:\\x\\notes.txt", "", "C:\\x\\notes", ".txt"},  // only "/" separates
    };
    for (const auto& c : cases) {
        const auto split = SplitPath::Of(c.path);
        EXPECT_EQ(split.directory, c.directory) << c.path;
        EXPECT_EQ(split.base_name, c.base) << c.path;
        EXPECT_EQ(split.extension, c.extension) << c.path;
        EXPECT_EQ(split.Compose("", ""), c.path);
    }
}

TEST(NameAnalysis, RecognisesStampsWithinBounds) {
    struct Case {
        const char* base;
        std::size_t length;
    } cases[] = {
        {"20100101_IMG", 9},       {"20100131-235959_IMG", 16},
        {"20110915_", 9},          {"20119915_report", 0},  // month 99
        {"20110900_x", 0},                                  // day 0
        {"20111301_x", 0},                                  // month 13
        {"19000101_report", 0},                             // the year bound is strict
        {"19010101_report", 9},    {"x7DB0915_a", 9},       // hexadecimal year 2011
        {"2011 9 1_x", 9},                          // " 9" and " 1" read with their leading blank
        {" 2011091_x", 0},                          // the year " 201" is out of bounds
        {"2011091 _x", 0},                          // "1 " does not read: a trailing blank
        {"20110915-2400000_", 0},                   // hour 24
        {"20110915-236000_x", 0},                   // minute 60
        {"20110915-235960_x", 0},                   // second 60
        {"20110915--1-1-1_x", 16},                  // hour, minute, second have upper bounds only
        {"20110915-123456-x", 0},                   // position 16 is no "_"
        {"20110915-123456", 0},                     // too short for the date-time form
        {"20110915x", 0},          {"2011091", 0},  // shorter than 9: never analysed
    };
    for (const auto& c : cases) EXPECT_EQ(RecognisedStampLength(c.base), c.length) << c.base;
}

TEST(NameAnalysis, AlreadyStampedNeedsADoubledUnderscore) {
    EXPECT_TRUE(IsAlreadyStamped("20110915__plan", "20110915_"));
    EXPECT_FALSE(IsAlreadyStamped("20110915_plan", "20110915_"));
    EXPECT_TRUE(IsAlreadyStamped("_abcdefgh", ""));
    EXPECT_FALSE(IsAlreadyStamped("_abcdefg", ""));  // shorter than 9
    EXPECT_FALSE(IsAlreadyStamped("abcdefghi", ""));
}

TEST(CollisionTag, DrawsCountPlusOneSymbolsOfTheAlphabet) {
    struct CountingClock : Clock {
        std::uint32_t value = 0;
        std::uint32_t Counter() override { return value++; }
    } clock;
    EXPECT_EQ(std::string(kCollisionTagSymbols.begin(), kCollisionTagSymbols.end()),
              "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(DrawCollisionTagSymbols(-1, clock), "");
    EXPECT_EQ(DrawCollisionTagSymbols(0, clock).size(), 1u);
    std::array<int, 62> seen{};
    for (int i = 0; i < 6200; ++i) {
        const auto symbols = DrawCollisionTagSymbols(5, clock);
        ASSERT_EQ(symbols.size(), 6u);
        for (char c : symbols) {
            const auto at = std::find(kCollisionTagSymbols.begin(), kCollisionTagSymbols.end(), c);
            ASSERT_NE(at, kCollisionTagSymbols.end());
            ++seen[at - kCollisionTagSymbols.begin()];
        }
    }
    // Every symbol turns up, none grossly more often than the others.
    for (int count : seen) {
        EXPECT_GT(count, 300);
        EXPECT_LT(count, 900);
    }
    // Reseeded from the clock on every call: the same reading, the same symbols.
    struct FixedClock : Clock {
        std::uint32_t Counter() override { return 42; }
    } fixed;
    EXPECT_EQ(DrawCollisionTagSymbols(5, fixed), DrawCollisionTagSymbols(5, fixed));
    EXPECT_EQ(NewCollisionTag(fixed), "." + DrawCollisionTagSymbols(5, fixed));
}

// Renames files in a real folder whose last-write time gives the stamps
// 20110915_ and 20110915-123456_.
class StampFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return *dir_ / name; }
    void Make(const std::string& name, const std::string& contents = "x") {
        MakeFile(Path(name), kTime, contents);
    }
    std::string Stamp(const std::string& name, int stamp_type) {
        return StampFile(Path(name), stamp_type, context_);
    }

    static constexpr std::int64_t kTime = 1316090096;  // 2011-09-15 12:34:56 UTC
    std::unique_ptr<TempDir> dir_ = std::make_unique<TempDir>();
    PosixFileSystem file_system_;
    RegionalFormats formats_ = RegionalFormats::Reference();
    MonotonicClock clock_;
    StampContext context_{file_system_, formats_, clock_};
};

TEST_F(StampFileTest, StampsReplacesOrKeepsTheNameAndTagsATakenOne) {
    struct Case {
        const char* name;
        const char* old_name;
        int stamp_type;
        const char* also_file;       // another file in the folder, or nullptr
        const char* also_directory;  // a directory in the folder, or nullptr
        const char* expected;        // a pattern: xxxxxx stands for the collision tag
    } cases[] = {
        {"DateStamp", "IMG_0001.jpg", 1, nullptr, nullptr, "20110915_IMG_0001.jpg"},
        {"DateTimeStamp", "IMG_0001.jpg", 2, nullptr, nullptr, "20110915-123456_IMG_0001.jpg"},
        {"NoneKeepsName", "IMG_0001.jpg", 0, nullptr, nullptr, "IMG_0001.jpg"},
        {"OldStampReplaced", "20100101_IMG_0001.jpg", 1, nullptr, nullptr, "20110915_IMG_0001.jpg"},
        {"OtherFormReplaced", "20100131-235959_IMG_0001.jpg", 1, nullptr, nullptr,
         "20110915_IMG_0001.jpg"},
        {"NoneRemovesStamp", "20110915_IMG_0001.jpg", 0, nullptr, nullptr, "IMG_0001.jpg"},
        {"SameStampUnchanged", "20110915_IMG_0001.jpg", 1, nullptr, nullptr,
         "20110915_IMG_0001.jpg"},
        {"TakenNameGetsTag", "IMG_0001.jpg", 1, "20110915_IMG_0001.jpg", nullptr,
         "20110915_IMG_0001.xxxxxx.jpg"},
        {"TakenUnstampedNameGetsTag", "20110915_IMG_0001.jpg", 0, "IMG_0001.jpg", nullptr,
         "IMG_0001.xxxxxx.jpg"},
        {"DirectoryOfThatNameRefuses", "IMG_0001.jpg", 1, nullptr, "20110915_IMG_0001.jpg",
         "IMG_0001.jpg"},
        {"MonthOutOfBounds", "20119915_report.txt", 1, nullptr, nullptr,
         "20110915_20119915_report.txt"},
        {"Year1900", "19000101_report.txt", 1, nullptr, nullptr, "20110915_19000101_report.txt"},
        {"OneStampPerCall", "20100101_20100101_x.txt", 1, nullptr, nullptr,
         "20110915_20100101_x.txt"},
        {"DoubledUnderscore", "20110915__plan.txt", 1, nullptr, nullptr, "20110915__plan.txt"},
        {"EmptyStampAndUnderscore", "_abcdefgh.txt", 0, nullptr, nullptr, "_abcdefgh.txt"},
        {"HexYear", "x7DB0915_a.txt", 1, nullptr, nullptr, "20110915_a.txt"},
        {"NoExtension", "notes", 1, nullptr, nullptr, "20110915_notes"},
        {"LastDotOnly", "a.txt.b.txt", 1, nullptr, nullptr, "20110915_a.txt.b.txt"},
        {"WholeNameIsExtension", ".profile", 1, nullptr, nullptr, "20110915_.profile"},
        {"StampWasWholeBase", "20110915_.txt", 0, nullptr, nullptr, ".txt"},
        {"OldTagIsPartOfBase", "20110915_IMG_0001.k3Zq9A.jpg", 1, nullptr, nullptr,
         "20110915_IMG_0001.k3Zq9A.jpg"},
        {"NoSelection", "20110915_IMG_0001.jpg", -1, nullptr, nullptr, "IMG_0001.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir_ = std::make_unique<TempDir>();
        Make(c.old_name, "moved");
        if (c.also_file) Make(c.also_file, "kept");
        if (c.also_directory) MakeDirectory(Path(c.also_directory));

        const std::string result = Stamp(c.old_name, c.stamp_type);

        std::string expected = std::regex_replace(Path(c.expected), std::regex("\\."), "\\.");
        expected = std::regex_replace(expected, std::regex("xxxxxx"), "[0-9A-Za-z]{6}");
        EXPECT_TRUE(std::regex_match(result, std::regex(expected))) << result;
        EXPECT_EQ(test::ReadFile(result), "moved");
        if (c.also_file) {
            EXPECT_EQ(test::ReadFile(Path(c.also_file)), "kept");
        }
        EXPECT_EQ(test::Names(dir_->path()).size(),
                  1u + (c.also_file != nullptr) + (c.also_directory != nullptr));
    }
}

TEST_F(StampFileTest, PathWithoutDirectoryStaysRelative) {
    Make("notes");
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_->path());
    const std::string result = StampFile("notes", 1, context_);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(result, "20110915_notes");
    EXPECT_TRUE(test::Exists(Path("20110915_notes")));
}

TEST_F(StampFileTest, UnreadableTimeRaisesBeforeAnythingChanges) {
    MakeFile(Path("old.jpg"), test::UtcSeconds(1979, 12, 31, 23, 59, 58));
    MakeDirectory(Path("folder"));
    for (const char* name : {"missing.jpg", "old.jpg", "folder"}) {
        for (int stamp_type : {0, 1, 2}) {
            EXPECT_THROW(Stamp(name, stamp_type), DateConversionError) << name;
        }
    }
    EXPECT_EQ(test::Names(dir_->path()), (std::vector<std::string>{"folder", "old.jpg"}));
}

TEST_F(StampFileTest, NamesAreKeptByteForByte) {
    for (const std::string name : {"caf\xE9\xFF.jpg", "line\nbreak.txt", "tab\there"}) {
        Make(name);
        EXPECT_EQ(Stamp(name, 1), Path("20110915_" + name));
    }
}

TEST_F(StampFileTest, TooLongATargetIsARefusedRename) {
    const std::string name = std::string(250, 'n') + ".jpg";
    Make(name);
    EXPECT_EQ(Stamp(name, 1), Path(name));
    EXPECT_TRUE(test::Exists(Path(name)));
}

TEST_F(StampFileTest, LinkToADirectoryIsNoTakenNameButADanglingLinkIs) {
    Make("a.jpg");
    Make("b.jpg");
    MakeDirectory(Path("target"));
    ::symlink("target", Path("20110915_a.jpg").c_str());
    ::symlink("nowhere", Path("20110915_b.jpg").c_str());
    EXPECT_EQ(Stamp("a.jpg", 1), Path("a.jpg"));  // refused: the link stays
    EXPECT_TRUE(
        std::regex_match(Stamp("b.jpg", 1), std::regex(".*/20110915_b\\.[0-9A-Za-z]{6}\\.jpg")));
}

}  // namespace
}  // namespace tavrel
