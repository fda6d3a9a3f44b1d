#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>

#include "platform/posix/atomic_replace.h"
#include "platform/posix/posix_file_system.h"
#include "robustness_support.h"
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

// The parser is the stamp type's; on only while its last usable line says 1.
TEST(SettingsFile, DateTakenOnlyWhileItsLastUsableLineSaysOne) {
    EXPECT_FALSE(DateTakenFromSettingsText("DateTaken:1\nDateTaken:x\nDateTaken:0\n"));
    EXPECT_TRUE(DateTakenFromSettingsText("DateTaken:0\nDateTaken:1\nDateTaken:x\n"));
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
    int ReadFileStart(const std::string&, std::size_t, std::string&) override { return error_; }
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

// ---------------------------------------------------------------- the file in the file system

struct Node {
    std::string kind;  // "file", "link", "fifo" or "none"
    std::string text;  // a file's contents or a link's target
    mode_t mode = 0;   // a file's permission bits
    ino_t inode = 0;
};

Node NodeAt(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return {"none", "", 0, 0};
    if (S_ISLNK(st.st_mode)) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        return {"link", std::string(target, static_cast<std::size_t>(std::max<ssize_t>(n, 0))), 0,
                st.st_ino};
    }
    if (S_ISFIFO(st.st_mode)) return {"fifo", "", st.st_mode & 07777, st.st_ino};
    return {"file", test::ReadFile(path), st.st_mode & 07777, st.st_ino};
}

void MakeFileWithMode(const std::string& path, const std::string& text, mode_t mode) {
    test::MakeFile(path, 0, text);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

// A folder "app" with setup.ini and a folder "store" beside it, for setup.ini
// and the file a link may lead to.
struct SettingsPlace {
    TempDir top;
    std::string app = top / "app";
    std::string store = top / "store";
    std::string path = app + "/setup.ini";
    SettingsPlace() {
        test::MakeDirectory(app);
        test::MakeDirectory(store);
    }
};

TEST(SettingsFile, ALinkStaysALinkAndTheFileItLeadsToGetsTheTextAndKeepsItsMode) {
    const mode_t new_file_mode = 0666 & ~CurrentUmask();
    struct Case {
        const char* name;
        std::function<void(SettingsPlace&)> make;
        const char* written;  // where the text goes, relative to the top folder
        mode_t mode;          // the mode it has afterwards
    } cases[] = {
        {"a plain file keeps its mode",
         [](SettingsPlace& p) { MakeFileWithMode(p.path, "StampType:0\r\n", 0600); },
         "app/setup.ini", 0600},
        {"a relative link into another folder",
         [](SettingsPlace& p) {
             MakeFileWithMode(p.store + "/real.ini", "StampType:0\r\n", 0640);
             ASSERT_EQ(::symlink("../store/real.ini", p.path.c_str()), 0);
         },
         "store/real.ini", 0640},
        {"an absolute link",
         [](SettingsPlace& p) {
             MakeFileWithMode(p.store + "/real.ini", "# mine\n", 0604);
             ASSERT_EQ(::symlink((p.store + "/real.ini").c_str(), p.path.c_str()), 0);
         },
         "store/real.ini", 0604},
        {"a link to a link",
         [](SettingsPlace& p) {
             MakeFileWithMode(p.store + "/real.ini", "StampType:0\r\n", 0644);
             ASSERT_EQ(::symlink("real.ini", (p.store + "/middle.ini").c_str()), 0);
             ASSERT_EQ(::symlink("../store/middle.ini", p.path.c_str()), 0);
         },
         "store/real.ini", 0644},
        {"a dangling link: the file it names is created",
         [](SettingsPlace& p) { ASSERT_EQ(::symlink("../store/new.ini", p.path.c_str()), 0); },
         "store/new.ini", new_file_mode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsPlace place;
        c.make(place);
        const Node link_before = NodeAt(place.path);
        const Node target_before = NodeAt(place.top / c.written);
        const auto app_names = test::Names(place.app);
        const auto store_names = test::Names(place.store);
        PosixFileSystem file_system;
        ASSERT_NO_THROW(WriteSettingsFile(place.path, 2, file_system));
        const Node target = NodeAt(place.top / c.written);
        EXPECT_EQ(target.kind, "file");
        EXPECT_EQ(target.text, "StampType:2\r\n");
        EXPECT_EQ(target.mode, c.mode) << std::oct << target.mode;
        if (link_before.kind == "link") {
            EXPECT_EQ(NodeAt(place.path).kind, "link");
            EXPECT_EQ(NodeAt(place.path).text, link_before.text);
        }
        // Replaced whole by a new file, not rewritten in place.
        if (target_before.kind == "file") {
            EXPECT_NE(target.inode, target_before.inode);
        }
        // Nothing else came or stayed: no temporary file in either folder.
        EXPECT_EQ(test::Names(place.app), app_names);
        auto with_target = store_names;
        if (target_before.kind == "none") with_target.push_back("new.ini");
        EXPECT_EQ(test::Names(place.store), with_target);
        EXPECT_EQ(ReadSettingsFile(place.path, file_system), 2);
    }
}

// Runs the steps in a child that cannot override permission bits (root's power
// to write anything dropped) and returns what the steps returned there.
std::string InChildWithoutOverride(const std::function<std::string()>& steps) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::string result;
        try {
            test::DropFileAccessOverride();
            result = steps();
        } catch (const std::exception& error) {
            result = std::string("error: ") + error.what();
        }
        const bool sent =
            ::write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[1024];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

TEST(SettingsFile, AFileThatMayNotBeWrittenOrIsNoFileStaysAsItWas) {
    struct Case {
        const char* name;
        std::function<void(SettingsPlace&)> make;
        const char* kept;  // the node that must stay as it was, relative to the top
        const char* reason;
    } cases[] = {
        {"a read-only file in a folder that may be written",
         [](SettingsPlace& p) { MakeFileWithMode(p.path, "StampType:0\r\n", 0444); },
         "app/setup.ini", "Permission denied"},
        {"a link to a read-only file",
         [](SettingsPlace& p) {
             MakeFileWithMode(p.store + "/real.ini", "StampType:0\r\n", 0444);
             ASSERT_EQ(::symlink("../store/real.ini", p.path.c_str()), 0);
         },
         "store/real.ini", "Permission denied"},
        {"a link to a pipe, which no file may take the place of",
         [](SettingsPlace& p) {
             ASSERT_EQ(::mkfifo((p.store + "/pipe").c_str(), 0666), 0);
             ASSERT_EQ(::symlink("../store/pipe", p.path.c_str()), 0);
         },
         "store/pipe", "Operation not permitted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsPlace place;
        c.make(place);
        const Node kept = NodeAt(place.top / c.kept);
        const Node settings = NodeAt(place.path);
        const auto app_names = test::Names(place.app);
        const auto store_names = test::Names(place.store);
        const std::string outcome = InChildWithoutOverride([&] {
            PosixFileSystem file_system;
            try {
                WriteSettingsFile(place.path, 2, file_system);
            } catch (const FileCreateError& error) {
                return std::string(error.what());
            }
            return std::string("written");
        });
        EXPECT_EQ(outcome, "ファイル \"" + place.path + "\" を作成できません。" + c.reason);
        const Node kept_after = NodeAt(place.top / c.kept);
        EXPECT_EQ(kept_after.kind, kept.kind);
        EXPECT_EQ(kept_after.text, kept.text);
        EXPECT_EQ(kept_after.mode, kept.mode);
        EXPECT_EQ(kept_after.inode, kept.inode);
        EXPECT_EQ(NodeAt(place.path).kind, settings.kind);
        EXPECT_EQ(test::Names(place.app), app_names);
        EXPECT_EQ(test::Names(place.store), store_names);
    }
}

// ---------------------------------------------------------------- reading is bounded

TEST(SettingsFile, OnlyWholeLinesOfTheFirst64KiBAreRead) {
    const std::size_t limit = kSettingsReadLimit;
    ASSERT_EQ(limit, 65536u);
    // Filler lines of 16 bytes each.
    auto filler = [](std::size_t bytes) {
        std::string text;
        while (text.size() + 16 <= bytes) text += "# 345678901234\r\n";
        return text + std::string(bytes - text.size(), '#');
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<int> stamp_type;
    } cases[] = {
        {"usable line at the end of 1 MiB", filler(1 << 20) + "\r\nStampType:2\r\n", std::nullopt},
        {"usable line at the start of 1 MiB", "StampType:2\r\n" + filler(1 << 20), 2},
        {"a file of exactly 64 KiB ending in the usable line", filler(limit - 12) + "\nStampType:2",
         2},
        {"a line whose break lies beyond the limit", filler(limit - 12) + "\nStampType:2\n",
         std::nullopt},
        {"a line cut at the limit is not read as its first part",
         "StampType:2\n" + filler(limit - 12 - 12) + "\nStampType:0x\n" + filler(100), 2},
        {"a NUL within the limit ends the text as always",
         "StampType:2" + std::string(1, '\0') + filler(1 << 17), 2},
        {"UTF-16 with the usable line beyond the limit",
         std::string("\xFF\xFE#\0\n\0", 6) + std::string(1 << 17, ' ') +
             std::string("S\0t\0a\0m\0p\0T\0y\0p\0e\0:\0002\0\n\0", 24),
         std::nullopt},
    };
    TempDir dir;
    PosixFileSystem file_system;
    for (const auto& c : cases) {
        test::MakeFile(dir / "setup.ini", 0, c.bytes);
        EXPECT_EQ(ReadSettingsFile(dir / "setup.ini", file_system), c.stamp_type) << c.name;
    }
}

}  // namespace
}  // namespace tavrel
