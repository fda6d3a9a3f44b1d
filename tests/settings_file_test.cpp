#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/errors.h"
#include "platform/posix/posix_file_system.h"
#include "test_support.h"

namespace tavrel {
namespace {

using test::TempDir;

TEST(SettingsFile, LinesSelectTheStampType) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<int> stamp_type;
    } cases[] = {
        {"Plain", "StampType:2", 2},
        {"BlankAfterColon", "StampType: 2", 2},
        {"BlanksAroundColon", "StampType : 2", 2},
        {"ThirdFieldIgnored", "StampType:2 7", 2},
        {"Dollar", "StampType:$2", 2},
        {"ZeroX", "StampType:0x2", 2},
        {"Quoted", "StampType:\"2\"", 2},
        {"MinusOne", "StampType:-1", -1},
        {"OutOfRange", "StampType:5", 5},
        {"EmptyValue", "StampType:", std::nullopt},
        {"Word", "StampType:two", std::nullopt},
        {"TrailingLetter", "StampType:2x", std::nullopt},
        {"LowerCaseKey", "stamptype:2", std::nullopt},
        {"BlankInKey", "Stamp Type:2", std::nullopt},
        {"NoValue", "StampType", std::nullopt},
        {"EmptyLine", "", std::nullopt},
        {"LastUsableLineDecides", "StampType:0\r\nStampType:2\r\nStampType:x\r\n", 2},
        {"OtherLinesIgnored", "# mine\nColour:red\nStampType:0\n\n", 0},
        {"LoneCarriageReturns", "StampType:1\rStampType:2", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StampTypeFromSettingsText(c.text), c.stamp_type) << c.name;
}

TEST(SettingsFile, LineBreaks) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SettingsLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SettingsLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SettingsLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SettingsLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SettingsLines(""), Lines{});
}

TEST(SettingsFile, ByteOrderMarksChooseTheEncoding) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"NoMark", "StampType:2\r\n"},
        {"Utf8", "\xEF\xBB\xBFStampType:2\r\n"},
        {"Utf16LittleEndian",
         std::string("\xFF\xFES\0t\0a\0m\0p\0T\0y\0p\0e\0:\0002\0\r\0\n\0", 28)},
        {"Utf16BigEndian", std::string("\xFE\xFF\0S\0t\0a\0m\0p\0T\0y\0p\0e\0:\0002\0\r\0\n", 28)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeSettingsText(c.bytes), "StampType:2\r\n") << c.name;
        EXPECT_EQ(StampTypeFromSettingsText(DecodeSettingsText(c.bytes)), 2) << c.name;
    }
    EXPECT_EQ(DecodeSettingsText(std::string("StampType:2\0StampType:0", 23)), "StampType:2");
    EXPECT_EQ(DecodeSettingsText(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6)), "\xF0\x9F\x98\x80");
    EXPECT_EQ(DecodeSettingsText(std::string("\xFF\xFE\x00\xDE", 4)), "\xEF\xBF\xBD");
}

TEST(SettingsFile, LivesBesideTheExecutable) {
    EXPECT_EQ(SettingsFilePath("/opt/tavrel/bin/tavrel"), "/opt/tavrel/bin/setup.ini");
    EXPECT_EQ(SettingsFilePath("/tavrel"), "/setup.ini");
}

TEST(SettingsFile, ReadsNothingWithoutAFile) {
    TempDir dir;
    PosixFileSystem file_system;
    EXPECT_EQ(ReadSettingsFile(dir / "setup.ini", file_system), std::nullopt);
    test::MakeDirectory(dir / "setup.ini");
    EXPECT_EQ(ReadSettingsFile(dir / "setup.ini", file_system), std::nullopt);
}

TEST(SettingsFile, WritesThirteenBytesAndReplacesWhatWasThere) {
    TempDir dir;
    PosixFileSystem file_system;
    const std::string path = dir / "setup.ini";
    WriteSettingsFile(path, 0, file_system);
    EXPECT_EQ(test::ReadFile(path), "StampType:0\r\n");
    test::MakeFile(path, 1316090096, "\xEF\xBB\xBF# hand-written\nStampType:2\n");
    EXPECT_EQ(ReadSettingsFile(path, file_system), 2);
    WriteSettingsFile(path, -1, file_system);
    EXPECT_EQ(test::ReadFile(path), "StampType:-1\r\n");
    EXPECT_EQ(test::Names(dir.path()), std::vector<std::string>{"setup.ini"});
}

// A file system whose reads and writes fail with a chosen reason.
class FailingFileSystem : public PosixFileSystem {
public:
    explicit FailingFileSystem(int error) : error_(error) {}
    bool IsExistingFile(const std::string&) override { return true; }
    int ReadWholeFile(const std::string&, std::string&) override { return error_; }
    int ReplaceFileContents(const std::string&, const std::string&) override { return error_; }

private:
    int error_;
};

TEST(SettingsFile, FailuresCarryThePathAndTheReason) {
    FailingFileSystem file_system(EACCES);
    try {
        ReadSettingsFile("/opt/t/setup.ini", file_system);
        FAIL() << "no error";
    } catch (const FileOpenError& e) {
        EXPECT_STREQ(e.what(), "ファイル /opt/t/setup.ini は開けません。 Permission denied ");
    }
    try {
        WriteSettingsFile("/opt/t/setup.ini", 1, file_system);
        FAIL() << "no error";
    } catch (const FileCreateError& e) {
        EXPECT_STREQ(e.what(), "ファイル \"/opt/t/setup.ini\" を作成できません。Permission denied");
    }
}

TEST(SettingsFile, AFailedWriteKeepsTheOldFile) {
    TempDir dir;
    PosixFileSystem file_system;
    const std::string path = dir / "setup.ini";
    WriteSettingsFile(path, 2, file_system);
    EXPECT_THROW(WriteSettingsFile(dir / "missing/setup.ini", 1, file_system), FileCreateError);
    // A directory in the file's place cannot be replaced by it.
    test::MakeDirectory(dir / "taken.ini");
    EXPECT_THROW(WriteSettingsFile(dir / "taken.ini", 1, file_system), FileCreateError);
    EXPECT_EQ(test::ReadFile(path), "StampType:2\r\n");
    EXPECT_EQ(test::Names(dir.path()), (std::vector<std::string>{"setup.ini", "taken.ini"}));
}

}  // namespace
}  // namespace tavrel
