#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix/atomic_replace.h"
#include "platform/posix/locale_formats.h"
#include "platform/posix/no_replace_rename.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/process_environment.h"
#include "test_support.h"

namespace tavrel {
namespace {

// Records the calls of the rename chain and answers each with a chosen errno.
struct ScriptedCalls {
    std::map<std::string, int> answers;  // call name -> errno (0 when missing)
    std::vector<std::string> log;

    RenameSystemCalls Calls() {
        auto answer2 = [this](const char* call) {
            return [this, call](const char* a, const char* b) {
                log.push_back(std::string(call) + " " + a + " " + b);
                return answers[call];
            };
        };
        auto answer1 = [this](const char* call) {
            return [this, call](const char* a) {
                log.push_back(std::string(call) + " " + a);
                return answers[std::string(call) + " " + a];
            };
        };
        return {answer2("renameat2"), answer2("link"),   answer1("unlink"),  answer1("lstat"),
                answer2("rename"),    answer1("create"), answer1("is-empty")};
    }
};

TEST(NoReplaceRename, FallsBackStepByStepAndNeverReplaces) {
    struct Case {
        const char* name;
        std::map<std::string, int> answers;
        int result;
        std::vector<std::string> calls;
    } cases[] = {
        {"NoReplaceFlagWorks", {}, 0, {"renameat2 f t"}},
        {"TargetExists", {{"renameat2", EEXIST}}, EEXIST, {"renameat2 f t"}},
        {"AccessDenied", {{"renameat2", EACCES}}, EACCES, {"renameat2 f t"}},
        {"FlagUnknownLinkAndUnlink",
         {{"renameat2", EINVAL}},
         0,
         {"renameat2 f t", "link f t", "unlink f"}},
        {"FlagUnknownTargetExists",
         {{"renameat2", EINVAL}, {"link", EEXIST}},
         EEXIST,
         {"renameat2 f t", "link f t"}},
        {"OldNameCannotGoSoNewLinkIsRemoved",
         {{"renameat2", EINVAL}, {"unlink f", EBUSY}},
         EBUSY,
         {"renameat2 f t", "link f t", "unlink f", "unlink t"}},
        {"NoHardLinksTargetFree",
         {{"renameat2", EINVAL}, {"link", EPERM}, {"lstat t", ENOENT}},
         0,
         {"renameat2 f t", "link f t", "lstat t", "rename f t"}},
        {"NoHardLinksTargetExists",
         {{"renameat2", EINVAL}, {"link", EOPNOTSUPP}},
         EEXIST,
         {"renameat2 f t", "link f t", "lstat t"}},
        {"NoHardLinksTargetUnknown",
         {{"renameat2", EINVAL}, {"link", EPERM}, {"lstat t", EACCES}},
         EACCES,
         {"renameat2 f t", "link f t", "lstat t"}},
    };
    for (const auto& c : cases) {
        ScriptedCalls scripted;
        scripted.answers = c.answers;
        EXPECT_EQ(RenameWithoutReplacing("f", "t", scripted.Calls()), c.result) << c.name;
        EXPECT_EQ(scripted.log, c.calls) << c.name;
    }
}

TEST(NoReplaceRename, AFileSystemThatRefusesTheFlagIsAskedOnce) {
    ScriptedCalls refusing;
    refusing.answers = {{"renameat2", EINVAL}};
    std::atomic<bool> refused{false};
    const RenameSystemCalls calls = AskingForNoReplaceOnce(refusing.Calls(), refused);
    for (const char* name : {"a", "b"}) EXPECT_EQ(RenameWithoutReplacing(name, "t", calls), 0);
    EXPECT_TRUE(refused);
    EXPECT_EQ(refusing.log, (std::vector<std::string>{"renameat2 a t", "link a t", "unlink a",
                                                      "link b t", "unlink b"}));
    // One that takes the flag is asked for every file.
    ScriptedCalls taking;
    std::atomic<bool> never{false};
    const RenameSystemCalls asking = AskingForNoReplaceOnce(taking.Calls(), never);
    for (const char* name : {"a", "b"}) EXPECT_EQ(RenameWithoutReplacing(name, "t", asking), 0);
    EXPECT_FALSE(never);
    EXPECT_EQ(taking.log, (std::vector<std::string>{"renameat2 a t", "renameat2 b t"}));
}

// Where the file system accepts RENAME_NOREPLACE without keeping it, the new
// name is reserved first and the file renamed onto the reservation.
TEST(NoReplaceRename, ReservesTheNewNameWhereTheFlagIsNotKept) {
    struct Case {
        const char* name;
        std::map<std::string, int> answers;
        int result;
        std::vector<std::string> calls;
    } cases[] = {
        {"RenamedOntoTheReservation", {}, 0, {"create t", "rename f t"}},
        {"NameTakenAlready", {{"create t", EEXIST}}, EEXIST, {"create t"}},
        {"FileGoneSoTheReservationGoes",
         {{"rename", ENOENT}},
         ENOENT,
         {"create t", "rename f t", "is-empty t", "unlink t"}},
        // The layer's rename may have removed the target and met another
        // program's file there: whatever holds the name stays.
        {"RenameRefusedOtherwiseLeavesTheName",
         {{"rename", EEXIST}},
         EEXIST,
         {"create t", "rename f t"}},
        {"FileGoneButTheNameHoldsData",
         {{"rename", ENOENT}, {"is-empty t", ENOTEMPTY}},
         ENOENT,
         {"create t", "rename f t", "is-empty t"}},
    };
    for (const auto& c : cases) {
        ScriptedCalls scripted;
        scripted.answers = c.answers;
        EXPECT_EQ(RenameWithoutReplacing("f", "t", ReservingTheNewName(scripted.Calls())), c.result)
            << c.name;
        EXPECT_EQ(scripted.log, c.calls) << c.name;
    }
}

class PosixFileSystemTest : public ::testing::Test {
protected:
    test::TempDir dir_;
    PosixFileSystem fs_;
};

TEST_F(PosixFileSystemTest, TakenNamesAreEntriesOtherThanDirectories) {
    test::MakeFile(dir_ / "file", 0);
    test::MakeDirectory(dir_ / "dir");
    ::symlink("dir", (dir_ / "dir-link").c_str());
    ::symlink("file", (dir_ / "file-link").c_str());
    ::symlink("nowhere", (dir_ / "dangling").c_str());
    ::mkfifo((dir_ / "fifo").c_str(), 0644);
    struct Case {
        std::string name;
        bool taken;
    } cases[] = {
        {"file", true},      {"dir", false},        {"dir-link", false},
        {"file-link", true}, {"dangling", true},    {"fifo", true},
        {"missing", false},  {"file/below", false}, {std::string(300, 'n'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(fs_.IsNameTaken(dir_ / c.name), c.taken) << c.name;
}

TEST_F(PosixFileSystemTest, RenameNeverReplacesAnExistingFile) {
    test::MakeFile(dir_ / "a", 0, "a");
    test::MakeFile(dir_ / "b", 0, "b");
    EXPECT_EQ(fs_.RenameNoReplace(dir_ / "a", dir_ / "b"), EEXIST);
    EXPECT_EQ(test::ReadFile(dir_ / "a"), "a");
    EXPECT_EQ(test::ReadFile(dir_ / "b"), "b");
    EXPECT_EQ(fs_.RenameNoReplace(dir_ / "a", dir_ / "c"), 0);
    EXPECT_EQ(test::Names(dir_.path()), (std::vector<std::string>{"b", "c"}));
}

// A layer's rename may meet a name on the server that its lookup, answered
// from a listing read before, does not show yet.
TEST_F(PosixFileSystemTest, NameTheRenameMetIsTakenUnlessADirectoryHoldsIt) {
    PosixFileSystem refusing([](int directory_fd) {
        RenameSystemCalls calls = KernelRenameSystemCallsIn(directory_fd);
        calls.rename_no_replace = [](const char*, const char*) { return EEXIST; };
        return calls;
    });
    test::MakeFile(dir_ / "a.jpg", 0);
    test::MakeDirectory(dir_ / "Directory");
    EXPECT_EQ(refusing.RenameUnlessTaken(dir_ / "a.jpg", dir_ / "NotShown"), RenameOutcome::kTaken);
    EXPECT_EQ(refusing.RenameUnlessTaken(dir_ / "a.jpg", dir_ / "Directory"),
              RenameOutcome::kRefused);
    EXPECT_TRUE(test::Exists(dir_ / "a.jpg"));
}

TEST_F(PosixFileSystemTest, NewFileTakesTheModeTheMaskAllows) {
    for (const mode_t mask : {022, 027, 077, 002}) {
        ::unlink((dir_ / "setup.ini").c_str());
        const mode_t saved = ::umask(mask);
        EXPECT_EQ(CurrentUmask(), mask);
        EXPECT_EQ(fs_.ReplaceFileContents(dir_ / "setup.ini", "StampType:2\r\n"), 0);
        ::umask(saved);
        struct stat st;
        ASSERT_EQ(::stat((dir_ / "setup.ini").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
    EXPECT_EQ(test::Names(dir_.path()), std::vector<std::string>{"setup.ini"});
}

TEST_F(PosixFileSystemTest, LastWriteTimeOfFilesOnlyAndWithoutBlocking) {
    test::MakeFile(dir_ / "file", 1316090096);
    test::MakeDirectory(dir_ / "dir");
    ::mkfifo((dir_ / "fifo").c_str(), 0644);  // no writer: a blocking open would hang
    test::SetMtime(dir_ / "fifo", 1316090000);
    EXPECT_EQ(fs_.ReadLastWriteTime(dir_ / "file"), 1316090096);
    EXPECT_EQ(fs_.ReadLastWriteTime(dir_ / "fifo"), 1316090000);
    EXPECT_EQ(fs_.ReadLastWriteTime(dir_ / "dir"), std::nullopt);
    EXPECT_EQ(fs_.ReadLastWriteTime(dir_ / "missing"), std::nullopt);
    EXPECT_TRUE(fs_.IsDirectory(dir_ / "dir"));
    EXPECT_FALSE(fs_.IsDirectory(dir_ / "file"));
    EXPECT_FALSE(fs_.IsExistingFile(dir_ / "dir"));
}

TEST(LocaleFormats, CommonLocalesGiveTheirOwnSettings) {
    struct Case {
        const char* locale;
        const char* date_pattern;
        const char* date_separator;
        const char* time_separator;
        bool clock_24_hour;
        bool leading_zero;
        bool marker_first;
        const char* am;
    } cases[] = {
        {"C", "yyyy/MM/dd", "/", ":", true, false, false, "午前"},
        {"POSIX", "yyyy/MM/dd", "/", ":", true, false, false, "午前"},
        {"", "yyyy/MM/dd", "/", ":", true, false, false, "午前"},
        {"C.UTF-8", "yyyy/MM/dd", "/", ":", true, false, false, "午前"},
        {"ja_JP.UTF-8", "yyyy/MM/dd", "/", ":", true, false, false, "午前"},
        {"en_US.UTF-8", "M/d/yy", "/", ":", false, false, false, "AM"},
        {"de_DE.UTF-8@euro", "dd/MM/yy", ".", ":", true, true, false, "AM"},
        {"ko_KR.UTF-8", "yy. M. d.", "/", ":", false, false, true, "오전"},
    };
    for (const auto& c : cases) {
        const auto formats = LoadRegionalFormats(c.locale);
        EXPECT_EQ(formats.short_date_pattern, c.date_pattern) << c.locale;
        EXPECT_EQ(formats.date_separator, c.date_separator) << c.locale;
        EXPECT_EQ(formats.time_separator, c.time_separator) << c.locale;
        EXPECT_EQ(formats.clock_24_hour, c.clock_24_hour) << c.locale;
        EXPECT_EQ(formats.hour_leading_zero, c.leading_zero) << c.locale;
        EXPECT_EQ(formats.am_pm_before_time, c.marker_first) << c.locale;
        EXPECT_EQ(formats.am_text, c.am) << c.locale;
    }
}

TEST(LocaleFormats, PatternsAreConvertedToTheStampLanguage) {
    struct Case {
        const char16_t* date;
        const char* pattern;
        const char* separator;
    } dates[] = {
        {u"y/MM/dd", "yyyy/MM/dd", "/"},
        {u"yy-M-d", "yy/M/d", "-"},
        {u"d MMM y", "d/MMM/yyyy", " "},
        {u"EEEE d LLLL y G", "dddd/d/MMMM/yyyy/", " "},
        {u"y'年'M'月'd'日'", "yyyy/M月d日", "年"},
        {u"dd.MM.y 'r.'", "dd/MM/yyyy \"r\"/", "."},
        {u"d/M/yy 'at' h", "d/M/yy \"a\"\"t\" ", "/"},
    };
    for (const auto& c : dates) {
        RegionalFormats formats;
        ConvertDatePattern(c.date, formats);
        EXPECT_EQ(formats.short_date_pattern, c.pattern) << c.pattern;
        EXPECT_EQ(formats.date_separator, c.separator) << c.pattern;
    }
    struct TimeCase {
        const char16_t* time;
        bool clock_24_hour;
        bool leading_zero;
        bool marker_first;
        const char* separator;
    } times[] = {
        {u"H:mm", true, false, false, ":"},     {u"HH.mm", true, true, false, "."},
        {u"h:mm a", false, false, false, ":"},  {u"a h:mm", false, false, true, ":"},
        {u"Bh:mm", false, false, true, ":"},    {u"H時mm分", true, false, false, "時"},
        {u"HH 'h' mm", true, true, false, ":"},
    };
    for (const auto& c : times) {
        RegionalFormats formats;
        ReadTimePattern(c.time, formats);
        EXPECT_EQ(formats.clock_24_hour, c.clock_24_hour);
        EXPECT_EQ(formats.hour_leading_zero, c.leading_zero);
        EXPECT_EQ(formats.am_pm_before_time, c.marker_first);
        EXPECT_EQ(formats.time_separator, c.separator);
    }
}

// Empty and relative values of XDG_CONFIG_HOME are ignored (XDG base directories).
TEST(XdgSettingsFolder, AbsoluteConfigHomeOrTheHomesConfigFolder) {
    const std::string fallback = "/home/mika/.config/tavrel";
    EXPECT_EQ(XdgSettingsFolder("/srv/conf", "/home/mika"), "/srv/conf/tavrel");
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "conf"})
        EXPECT_EQ(XdgSettingsFolder(ignored, "/home/mika"), fallback);
}

}  // namespace
}  // namespace tavrel
