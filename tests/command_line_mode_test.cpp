// End-to-end tests of command-line mode: the built program renames real files in
// temporary folders, and the tests compare the exact names, exit codes and error
// texts it leaves behind.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "program/posix/window_module_loader.h"
#include "test_support.h"

namespace tavrel::test {
namespace {

using Strings = std::vector<std::string>;

// 2011-09-15 12:34:57 UTC: stamps "20110915_" and "20110915-123456_" (odd
// seconds are rounded down to even ones).
const std::int64_t kWritten = UtcSeconds(2011, 9, 15, 12, 34, 57);

const char kDateConversionLine2[] = "日付に変換できない値が渡されました.";

// Writes setup.ini beside a copy of the program and returns the copy's path.
std::string ProgramWithSettings(const TempDir& home, const std::string& settings) {
    const std::string binary = CopyTavrelTo(home.path());
    std::ofstream(home / "setup.ini", std::ios::binary) << settings;
    return binary;
}

// A copy of the program that uses the given stamp type; type 1 is the default
// and needs no settings file.
std::string ProgramForType(const TempDir& home, int stamp_type) {
    if (stamp_type == 1) return TAVREL_BINARY;
    return ProgramWithSettings(home, "StampType:" + std::to_string(stamp_type));
}

// Runs the program without the capabilities that let root read anything, so
// that permission bits apply to it.
RunResult RunWithoutOverride(const std::string& binary, const Strings& arguments) {
    Strings argv;
    if (::geteuid() == 0) {
        argv = {"/usr/bin/setpriv", "--inh-caps=-dac_override,-dac_read_search",
                "--bounding-set=-dac_override,-dac_read_search"};
    }
    argv.push_back(binary);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv, {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin"});
}

// Runs the program under a time limit, so that a hang fails the test (exit code
// 124) instead of stopping the whole test run.
RunResult RunWithTimeLimit(const Strings& arguments) {
    Strings argv{"/usr/bin/timeout", "120", TAVREL_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv, {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin"});
}

Strings Lines(const std::string& text) {
    Strings lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back(text.substr(start));  // unterminated rest
    return lines;
}

// The run stopped with the given error: exit code 1 and exactly two lines, each
// ending in a newline, on standard error.
void ExpectStopped(const RunResult& result, const std::string& error_name,
                   const std::string& second_line) {
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.back(), '\n');
    const Strings lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 2u) << result.err;
    const std::regex first(error_name + " がモジュール tavrel の 0x[0-9a-f]+ で発生しました。");
    EXPECT_TRUE(std::regex_match(lines[0], first)) << lines[0];
    EXPECT_EQ(lines[1], second_line);
}

void ExpectQuietSuccess(const RunResult& result) {
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

// ---------------------------------------------------------------- naming

struct NamingCase {
    const char* label;
    int stamp_type;
    std::string original;
    std::int64_t mtime;
    std::string expected;
};

TEST(CommandLineNaming, NewNameForEachStampType) {
    const std::int64_t midnight = UtcSeconds(2011, 9, 15, 0, 0, 0);
    const std::int64_t last_second = UtcSeconds(2011, 9, 15, 23, 59, 59);
    const std::vector<NamingCase> cases = {
        {"plain name", 1, "IMG_0001.jpg", kWritten, "20110915_IMG_0001.jpg"},
        {"old date stamp replaced", 1, "20100101_IMG.jpg", kWritten, "20110915_IMG.jpg"},
        {"old date-time stamp replaced", 1, "20100131-235959_IMG.jpg", kWritten,
         "20110915_IMG.jpg"},
        {"month 99 is no stamp", 1, "20119915_report.txt", kWritten,
         "20110915_20119915_report.txt"},
        {"month 00 is no stamp", 1, "20110015_report.txt", kWritten,
         "20110915_20110015_report.txt"},
        {"day 32 is no stamp", 1, "20100132_report.txt", kWritten, "20110915_20100132_report.txt"},
        {"year 1900 is no stamp", 1, "19000101_report.txt", kWritten,
         "20110915_19000101_report.txt"},
        {"wanted stamp kept", 1, "20110915_IMG.jpg", kWritten, "20110915_IMG.jpg"},
        {"stamp plus underscore left alone", 1, "20110915__plan.txt", kWritten,
         "20110915__plan.txt"},
        {"short base name", 1, "notes", kWritten, "20110915_notes"},
        {"hidden file", 1, ".profile", kWritten, "20110915_.profile"},
        {"several dots", 1, "archive.tar.gz", kWritten, "20110915_archive.tar.gz"},
        {"type 2 rounds seconds down", 2, "IMG.jpg", kWritten, "20110915-123456_IMG.jpg"},
        {"type 2 at midnight", 2, "IMG.jpg", midnight, "20110915-000000_IMG.jpg"},
        {"type 2 last second of day", 2, "IMG.jpg", last_second, "20110915-235958_IMG.jpg"},
        {"type 2 replaces date stamp", 2, "20100101_IMG.jpg", kWritten, "20110915-123456_IMG.jpg"},
        {"type 2 replaces other time", 2, "20110915-123458_IMG.jpg", kWritten,
         "20110915-123456_IMG.jpg"},
        {"type 2 wanted stamp kept", 2, "20110915-123456_IMG.jpg", kWritten,
         "20110915-123456_IMG.jpg"},
        {"type 0 removes date stamp", 0, "20110915_IMG.jpg", kWritten, "IMG.jpg"},
        {"type 0 removes date-time stamp", 0, "20100131-235959_IMG.jpg", kWritten, "IMG.jpg"},
        {"type 0 plain name kept", 0, "IMG.jpg", kWritten, "IMG.jpg"},
        {"type -1 removes stamp", -1, "20100101_IMG.jpg", kWritten, "IMG.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir home, work;
        MakeFile(work / c.original, c.mtime, "contents");
        ExpectQuietSuccess(
            RunTavrel({work.path()}, "UTC", "C", "", ProgramForType(home, c.stamp_type)));
        EXPECT_EQ(Names(work.path()), Strings{c.expected});
        EXPECT_EQ(ReadFile(work / c.expected), "contents");
    }
}

TEST(CommandLineNaming, SameDigitsUnderJapaneseLocale) {
    for (const std::string locale : {"C", "ja_JP.UTF-8"}) {
        for (const auto& [type, expected] : std::vector<std::pair<int, std::string>>{
                 {1, "20110915_IMG.jpg"}, {2, "20110915-123456_IMG.jpg"}}) {
            SCOPED_TRACE(locale + " type " + std::to_string(type));
            TempDir home, work;
            MakeFile(work / "IMG.jpg", kWritten);
            ExpectQuietSuccess(
                RunTavrel({work.path()}, "UTC", locale, "", ProgramForType(home, type)));
            EXPECT_EQ(Names(work.path()), Strings{expected});
        }
    }
}

// Each file takes the UTC offset in force at its own last-write time.
TEST(CommandLineNaming, LocalTimeOfEachFile) {
    TempDir home, work;
    MakeFile(work / "summer.jpg", UtcSeconds(2011, 7, 15, 8, 0, 0));
    MakeFile(work / "winter.jpg", UtcSeconds(2011, 1, 15, 8, 0, 0));
    ExpectQuietSuccess(RunTavrel({work.path()}, "Europe/Berlin", "C", "", ProgramForType(home, 2)));
    EXPECT_EQ(Names(work.path()),
              (Strings{"20110115-090000_winter.jpg", "20110715-100000_summer.jpg"}));
}

struct ByteCase {
    const char* label;
    std::string original;
    std::string expected;
};

TEST(CommandLineNaming, KeepsEveryByteOfTheName) {
    const std::string fits = std::string(242, 'a') + ".txt";      // 246 + 9 = 255 bytes
    const std::string too_long = std::string(243, 'b') + ".txt";  // 247 + 9 = 256 bytes
    const std::string much_too_long = std::string(246, 'c') + ".txt";
    const std::vector<ByteCase> cases = {
        {"byte that is not UTF-8", "caf\xE9.jpg", "20110915_caf\xE9.jpg"},
        {"newline in name", "two\nlines.txt", "20110915_two\nlines.txt"},
        {"target of 255 bytes", fits, "20110915_" + fits},
        {"target of 256 bytes refused", too_long, too_long},
        {"250-byte name refused", much_too_long, much_too_long},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir work;
        MakeFile(work / c.original, kWritten);
        ExpectQuietSuccess(RunTavrel({work.path()}));
        EXPECT_EQ(Names(work.path()), Strings{c.expected});
    }
}

// ---------------------------------------------------------------- settings file

struct SettingsCase {
    const char* label;
    std::optional<std::string> settings;  // no value: no settings file at all
    std::string original;
    std::string expected;
};

std::string Utf16(const std::string& ascii, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        out += big_endian ? '\0' : c;
        out += big_endian ? c : '\0';
    }
    return out;
}

TEST(CommandLineSettings, StampTypeFromSetupIniWhichStaysUnchanged) {
    const std::vector<SettingsCase> cases = {
        {"no settings file", std::nullopt, "IMG.jpg", "20110915_IMG.jpg"},
        {"type 2", "StampType:2", "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"blank after colon", "StampType: 2", "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"dollar before value", "StampType:$2", "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"CRLF line", "StampType:2\r\n", "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"UTF-8 BOM", "\xEF\xBB\xBFStampType:2\r\n", "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"UTF-16LE BOM", Utf16("StampType:2\r\n", false), "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"UTF-16BE BOM", Utf16("StampType:2\r\n", true), "IMG.jpg", "20110915-123456_IMG.jpg"},
        {"type 1 named", "StampType:1\r\n", "20100101_IMG.jpg", "20110915_IMG.jpg"},
        {"type 0", "StampType:0", "20100101_IMG.jpg", "IMG.jpg"},
        {"out of range means no stamp", "StampType:5", "20100101_IMG.jpg", "IMG.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir home, work;
        const std::string binary =
            c.settings ? ProgramWithSettings(home, *c.settings) : CopyTavrelTo(home.path());
        MakeFile(work / c.original, kWritten);
        ExpectQuietSuccess(RunTavrel({work.path()}, "UTC", "C", "", binary));
        EXPECT_EQ(Names(work.path()), Strings{c.expected});
        // Command-line mode reads the settings file but never writes or creates it.
        if (c.settings) {
            EXPECT_EQ(ReadFile(home / "setup.ini"), *c.settings);
        } else {
            EXPECT_FALSE(Exists(home / "setup.ini"));
        }
    }
}

TEST(CommandLineSettings, UnreadableSetupIniStopsBeforeAnyRename) {
    TempDir home, work;
    const std::string binary = ProgramWithSettings(home, "StampType:2");
    ::chmod((home / "setup.ini").c_str(), 0);
    MakeFile(work / "IMG.jpg", kWritten);
    const RunResult result = RunWithoutOverride(binary, {work.path()});
    ExpectStopped(result, "FileOpenError",
                  "ファイル " + home.path() + "/setup.ini は開けません。 Permission denied .");
    EXPECT_EQ(Names(work.path()), Strings{"IMG.jpg"});
}

// Built with AddressSanitizer, whose shadow memory does not fit under a limit of
// the address space: there the sanitizer's own limit of resident memory holds.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// A settings file read without limit would take all memory; under a limit of
// 256 MiB the run ends with the default stamp type instead.
TEST(CommandLineSettings, OnlyTheFirst64KiBOfSetupIniAreRead) {
    struct Case {
        const char* name;
        std::function<void(const std::string& settings)> make;
    } cases[] = {
        {"a link to /dev/zero",
         [](const std::string& settings) {
             ASSERT_EQ(::symlink("/dev/zero", settings.c_str()), 0);
         }},
        {"1 MiB whose usable line is at the end",
         [](const std::string& settings) {
             std::string text;
             while (text.size() < (1u << 20)) text += "# not a setting, just a long line\r\n";
             std::ofstream(settings, std::ios::binary) << text << "StampType:2\r\n";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir home, work;
        const std::string binary = CopyTavrelTo(home.path());
        c.make(home / "setup.ini");
        MakeFile(work / "IMG.jpg", kWritten);
        Strings argv{"/usr/bin/timeout", "60"};
        if (!kAddressSanitizer) argv.insert(argv.end(), {"/usr/bin/prlimit", "--as=268435456"});
        argv.insert(argv.end(), {binary, work.path()});
        ExpectQuietSuccess(test::Run(argv, {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin",
                                            "ASAN_OPTIONS=hard_rss_limit_mb=512"}));
        EXPECT_EQ(Names(work.path()), Strings{"20110915_IMG.jpg"});
    }
}

// ---------------------------------------------------------------- collecting

TEST(CommandLineCollect, WalksEveryFileBelowDirectoriesButNoLinkToADirectory) {
    TempDir root, outside, loose;
    MakeFile(root / "Top.txt", kWritten);
    MakeFile(root / ".hidden", kWritten);
    MakeDirectory(root / "deep");
    MakeDirectory(root / "deep/er");
    MakeFile(root / "deep/er/file.txt", kWritten);
    MakeDirectory(root / ".cache");
    MakeFile(root / ".cache/x.bin", kWritten);
    MakeDirectory(root / "20100101_folder");  // a directory is never renamed
    MakeFile(root / "20100101_folder/in.txt", kWritten);
    MakeFile(outside / "o.txt", kWritten);
    ASSERT_EQ(::symlink(outside.path().c_str(), (root / "linked").c_str()), 0);
    MakeFile(loose / "Single.txt", kWritten);

    ExpectQuietSuccess(RunTavrel({root.path(), loose / "Single.txt"}));
    EXPECT_EQ(Names(root.path()), (Strings{".cache", "20100101_folder", "20110915_.hidden",
                                           "20110915_Top.txt", "deep", "linked"}));
    EXPECT_EQ(FilesBelow(root.path()),
              (Strings{".cache/20110915_x.bin", "20100101_folder/20110915_in.txt",
                       "20110915_.hidden", "20110915_Top.txt", "deep/er/20110915_file.txt"}));
    EXPECT_EQ(Names(outside.path()), Strings{"o.txt"});
    EXPECT_EQ(Names(loose.path()), Strings{"20110915_Single.txt"});

    // Every name now carries its stamp, so a second run changes nothing; the
    // link named directly is walked.
    const Strings before = FilesBelow(root.path());
    ExpectQuietSuccess(RunTavrel({root.path(), loose.path(), root / "linked"}));
    EXPECT_EQ(FilesBelow(root.path()), before);
    EXPECT_EQ(Names(outside.path()), Strings{"20110915_o.txt"});
    EXPECT_EQ(Names(loose.path()), Strings{"20110915_Single.txt"});
}

// The loop would lead back to a.txt a second time; renaming it twice would fail
// because its old path is gone.
TEST(CommandLineCollect, LinkCycleEndsAndRenamesEachFileOnce) {
    TempDir root;
    MakeFile(root / "a.txt", kWritten);
    MakeDirectory(root / "sub");
    MakeFile(root / "sub/b.txt", kWritten);
    ASSERT_EQ(::symlink("..", (root / "sub/loop").c_str()), 0);
    const RunResult result = RunWithTimeLimit({root.path()});
    ExpectQuietSuccess(result);
    EXPECT_EQ(FilesBelow(root.path()), (Strings{"20110915_a.txt", "sub/20110915_b.txt"}));
}

TEST(CommandLineCollect, FifoDoesNotBlock) {
    TempDir root;
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0644), 0);
    MakeFile(root / "IMG.jpg", kWritten);
    const RunResult result = RunWithTimeLimit({root.path()});
    EXPECT_EQ(result.exit_code, 0) << result.err;  // 124 would mean the program hung
    const Strings names = Names(root.path());
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(names.front(), "20110915_IMG.jpg");
}

TEST(CommandLineCollect, UnreadableSubdirectoryAddsNothing) {
    TempDir root;
    MakeFile(root / "before.txt", kWritten);
    MakeDirectory(root / "locked");
    MakeFile(root / "locked/inside.txt", kWritten);
    MakeFile(root / "zafter.txt", kWritten);
    ::chmod((root / "locked").c_str(), 0);
    ExpectQuietSuccess(RunWithoutOverride(TAVREL_BINARY, {root.path()}));
    ::chmod((root / "locked").c_str(), 0755);
    EXPECT_EQ(FilesBelow(root.path()),
              (Strings{"20110915_before.txt", "20110915_zafter.txt", "locked/inside.txt"}));
}

TEST(CommandLineCollect, EmptyArgumentsAreSkipped) {
    TempDir work;
    MakeFile(work / "a.txt", kWritten);
    MakeFile(work / "b.txt", kWritten);
    MakeFile(work / "c.txt", kWritten);
    ExpectQuietSuccess(RunTavrel({"", work / "a.txt", "", work / "b.txt", ""}));
    EXPECT_EQ(Names(work.path()), (Strings{"20110915_a.txt", "20110915_b.txt", "c.txt"}));

    // Empty arguments only are no arguments: the window is asked for, and
    // without a display that ends with exit code 2 and renames nothing.
    const RunResult result = RunTavrel({"", ""}, "UTC", "C", work.path());
    EXPECT_EQ(result.exit_code, 2) << result.err;
    EXPECT_EQ(Names(work.path()), (Strings{"20110915_a.txt", "20110915_b.txt", "c.txt"}));
}

TEST(CommandLineCollect, RelativeArgumentsFollowWorkingDirectory) {
    TempDir work;
    MakeFile(work / "IMG.jpg", kWritten);
    MakeDirectory(work / "sub");
    MakeFile(work / "sub/doc.txt", kWritten);
    ExpectQuietSuccess(RunTavrel({"IMG.jpg", "sub"}, "UTC", "C", work.path()));
    EXPECT_EQ(FilesBelow(work.path()), (Strings{"20110915_IMG.jpg", "sub/20110915_doc.txt"}));
}

TEST(CommandLineCollect, NoArgumentsWithoutADisplaySaysSoAndRenamesNothing) {
    TempDir work;
    MakeFile(work / "IMG.jpg", kWritten);
    const RunResult result = RunTavrel({}, "UTC", "C", work.path());
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
    EXPECT_EQ(result.err.back(), '\n');
    EXPECT_EQ(Names(work.path()), Strings{"IMG.jpg"});
}

// A display is named but no Qt platform can open it: the window's start says
// what is missing and that the command line needs no display, and ends with
// exit code 1 instead of Qt's abort.
TEST(CommandLineCollect, NoArgumentsWithAnUnusableDisplaySayWhatIsMissing) {
    // The display's variables; what the message names of them.
    const std::vector<std::pair<Strings, std::string>> cases = {
        {{"DISPLAY=:65000"}, "DISPLAY=:65000"},
        {{"WAYLAND_DISPLAY=tavrel-no-compositor"}, "Wayland: "},
        {{"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=tavrel-no-compositor"},
         "QT_QPA_PLATFORM=wayland"},
    };
    for (const auto& [display, named] : cases) {
        TempDir work;
        Strings environment = {"TZ=UTC", "LC_ALL=C", "XDG_RUNTIME_DIR=" + work.path()};
        environment.insert(environment.end(), display.begin(), display.end());
        const RunResult result = test::Run({TAVREL_BINARY}, environment, work.path());
        EXPECT_EQ(result.exit_code, 1) << result.err;
        for (const std::string& says : {named, std::string("works without a display")})
            EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
    }
}

// The window lives in a module of its own, so that a command-line run starts
// without loading Qt; a program whose module is missing says so and ends.
TEST(CommandLineStartUp, ProgramItselfDoesNotLinkQt) {
    const RunResult result = test::Run({"/usr/bin/ldd", TAVREL_BINARY}, {"PATH=/usr/bin:/bin"});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.out.find("libicu"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("libQt"), std::string::npos) << result.out;
}

TEST(CommandLineStartUp, WindowModuleOnlyFromTheProgramsOwnPlace) {
    EXPECT_EQ(
        WindowModuleCandidates("/opt/t/bin/tavrel"),
        (Strings{"/opt/t/bin/tavrel-window.so", "/opt/t/bin/../lib/tavrel/tavrel-window.so"}));
    EXPECT_EQ(WindowModuleCandidates(""), Strings{});
    EXPECT_EQ(WindowModuleCandidates("tavrel"), Strings{});
    EXPECT_EQ(WindowModuleCandidates("bin/tavrel"), Strings{});
}

TEST(CommandLineStartUp, WindowModeWithoutItsModuleSaysSo) {
    TempDir home;
    const std::string program = home / "tavrel";
    std::filesystem::copy_file(TAVREL_BINARY, program);
    ::chmod(program.c_str(), 0755);
    const RunResult result =
        test::Run({program}, {"DISPLAY=:0", "TZ=UTC", "LC_ALL=C"}, home.path());
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("cannot load the window module tavrel-window.so"), std::string::npos)
        << result.err;
    EXPECT_EQ(Names(home.path()), Strings{"tavrel"});
}

// A lone --help, --version or --undo is answered, unless a file or folder of that name
// exists in the working folder: that is renamed as any other argument.
TEST(CommandLineStartUp, HelpAndVersionUnlessAFileHasTheirName) {
    struct Case {
        Strings arguments;
        std::string existing;  // "", a file's name, or a folder's name ending in "/"
        int exit_code;
        std::string out_start;
        Strings names_after;
    };
    const std::vector<Case> cases = {
        {{"--version"}, "", 0, "tavrel 1.2.0.13\n", {}},
        {{"--help"}, "", 0, "Usage: tavrel [FILE | FOLDER]...\n", {}},
        {{"--help"}, "--help", 0, "", {"20110915_--help"}},
        {{"--undo"}, "--undo", 0, "", {"20110915_--undo"}},
        {{"--version"}, "--version/", 0, "", {"--version/20110915_a.jpg"}},
        {{"--help", "--version"}, "", 1, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " with " + c.existing);
        TempDir work;
        const bool folder = c.existing.ends_with('/');
        if (folder) MakeDirectory(work / c.existing);
        if (!c.existing.empty()) MakeFile(work / c.existing + (folder ? "a.jpg" : ""), kWritten);
        const RunResult result = RunTavrel(c.arguments, "UTC", "C", work.path());
        EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
        EXPECT_EQ(result.out.rfind(c.out_start, 0), 0u) << result.out;
        EXPECT_EQ(result.out.empty(), c.out_start.empty()) << result.out;
        if (c.exit_code == 1) ExpectStopped(result, "DateConversionError", kDateConversionLine2);
        EXPECT_EQ(FilesBelow(work.path()), c.names_after);
    }
    // The usage names the settings file this build uses, and the manual page.
    const std::string usage_end =
        SettingsFilePath(TAVREL_BINARY) + "\nMore in the manual page: man tavrel\n";
    EXPECT_TRUE(RunTavrel({"--help"}).out.ends_with(usage_end)) << usage_end;
}

// ---------------------------------------------------------------- collisions

struct CollisionCase {
    const char* label;
    std::string existing;
    std::string file;
    std::string tagged_pattern;
};

TEST(CommandLineCollision, TakenNameGetsTagBeforeExtension) {
    const std::vector<CollisionCase> cases = {
        {"extension", "20110915_IMG_0001.jpg", "IMG_0001.jpg",
         R"(20110915_IMG_0001\.[0-9A-Za-z]{6}\.jpg)"},
        {"no extension", "20110915_notes", "notes", R"(20110915_notes\.[0-9A-Za-z]{6})"},
        {"several dots", "20110915_a.tar.gz", "a.tar.gz", R"(20110915_a\.tar\.[0-9A-Za-z]{6}\.gz)"},
        {"old stamp replaced", "20110915_IMG.jpg", "20100101_IMG.jpg",
         R"(20110915_IMG\.[0-9A-Za-z]{6}\.jpg)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir work;
        MakeFile(work / c.existing, kWritten, "existing");
        MakeFile(work / c.file, kWritten, "moving");
        ExpectQuietSuccess(RunTavrel({work / c.file}));
        const Strings names = Names(work.path());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(ReadFile(work / c.existing), "existing");
        const std::string& tagged = names[0] == c.existing ? names[1] : names[0];
        EXPECT_TRUE(std::regex_match(tagged, std::regex(c.tagged_pattern))) << tagged;
        EXPECT_EQ(ReadFile(work / tagged), "moving");
    }
}

TEST(CommandLineCollision, DirectoryOfTheNewNameRefusesRename) {
    TempDir work;
    MakeDirectory(work / "20110915_IMG.jpg");
    MakeFile(work / "IMG.jpg", kWritten, "moving");
    ExpectQuietSuccess(RunTavrel({work / "IMG.jpg"}));
    EXPECT_EQ(Names(work.path()), (Strings{"20110915_IMG.jpg", "IMG.jpg"}));
    EXPECT_EQ(ReadFile(work / "IMG.jpg"), "moving");
    EXPECT_EQ(Names(work / "20110915_IMG.jpg"), Strings{});
}

TEST(CommandLineCollision, FileSortedFirstGetsTheSharedName) {
    TempDir work;
    MakeFile(work / "20100505_IMG.jpg", kWritten, "second");
    MakeFile(work / "20100101_IMG.jpg", kWritten, "first");
    ExpectQuietSuccess(RunTavrel({work.path()}));
    const Strings names = Names(work.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(ReadFile(work / "20110915_IMG.jpg"), "first");
    // The tag is random, so it may sort before or after the untagged name.
    const std::string& tagged = names[0] == "20110915_IMG.jpg" ? names[1] : names[0];
    EXPECT_TRUE(std::regex_match(tagged, std::regex(R"(20110915_IMG\.[0-9A-Za-z]{6}\.jpg)")))
        << tagged;
    EXPECT_EQ(ReadFile(work / tagged), "second");
}

// ---------------------------------------------------------------- errors

enum class Fault { kMissing, kTooOld, kUnreadable };

struct FaultCase {
    const char* label;
    Fault fault;
    Strings expected_names;
};

// The failing file "Mango.txt" sorts between "apple.txt" and "Zeta.txt" only when
// case is ignored: apple is renamed before the stop, Zeta is not.
TEST(CommandLineErrors, StopAtFailingFileInCaseInsensitiveOrder) {
    const std::vector<FaultCase> cases = {
        {"missing file", Fault::kMissing, {"20110915_apple.txt", "Zeta.txt"}},
        {"written before 1980", Fault::kTooOld, {"20110915_apple.txt", "Mango.txt", "Zeta.txt"}},
        {"unreadable file", Fault::kUnreadable, {"20110915_apple.txt", "Mango.txt", "Zeta.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir work;
        MakeFile(work / "apple.txt", kWritten);
        MakeFile(work / "Zeta.txt", kWritten);
        if (c.fault == Fault::kTooOld)
            MakeFile(work / "Mango.txt", UtcSeconds(1979, 12, 31, 23, 59, 59));
        if (c.fault == Fault::kUnreadable) {
            MakeFile(work / "Mango.txt", kWritten);
            ::chmod((work / "Mango.txt").c_str(), 0);
        }
        const RunResult result = RunWithoutOverride(
            TAVREL_BINARY, {work / "Zeta.txt", work / "Mango.txt", work / "apple.txt"});
        ExpectStopped(result, "DateConversionError", kDateConversionLine2);
        EXPECT_EQ(Names(work.path()), c.expected_names);
    }
}

// 1980-01-01 00:00:00 is the earliest local time that can be stamped; in Berlin it
// is 1979-12-31 23:00:00 UTC.
TEST(CommandLineErrors, EarliestTimeIsLocalStartOf1980) {
    TempDir work;
    MakeFile(work / "first.txt", UtcSeconds(1979, 12, 31, 23, 0, 0));
    ExpectQuietSuccess(RunTavrel({work / "first.txt"}, "Europe/Berlin"));
    EXPECT_EQ(Names(work.path()), Strings{"19800101_first.txt"});

    MakeFile(work / "before.txt", UtcSeconds(1979, 12, 31, 22, 59, 59));
    ExpectStopped(RunTavrel({work / "before.txt"}, "Europe/Berlin"), "DateConversionError",
                  kDateConversionLine2);
    EXPECT_EQ(Names(work.path()), (Strings{"19800101_first.txt", "before.txt"}));
}

TEST(CommandLineErrors, SameFileNamedTwice) {
    TempDir work;
    MakeFile(work / "IMG.jpg", kWritten);
    // The second entry names the old path, which the first rename took away.
    ExpectStopped(RunTavrel({work / "IMG.jpg", work / "IMG.jpg"}), "DateConversionError",
                  kDateConversionLine2);
    EXPECT_EQ(Names(work.path()), Strings{"20110915_IMG.jpg"});

    // A name that stays the same is still there for the second entry.
    ExpectQuietSuccess(RunTavrel({work / "20110915_IMG.jpg", work / "20110915_IMG.jpg"}));
    EXPECT_EQ(Names(work.path()), Strings{"20110915_IMG.jpg"});
}

// With address randomisation off, the program lies at the same place in every
// run, so the address printed is the raising code's: two places, two addresses.
TEST(CommandLineErrors, AddressIsWhereTheErrorWasRaised) {
    TempDir work;
    MakeFile(work / "1975.jpg", UtcSeconds(1975, 6, 1));
    auto address_for = [&](const std::string& path) {
        const RunResult result = test::Run({"/usr/bin/setarch", "-R", TAVREL_BINARY, path},
                                           {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin"});
        ExpectStopped(result, "DateConversionError", kDateConversionLine2);
        std::smatch match;
        const std::regex address(" の (0x[0-9a-f]+) で");
        return std::regex_search(result.err, match, address) ? match[1].str() : std::string();
    };
    const std::string missing = address_for(work / "missing.jpg");
    const std::string too_old = address_for(work / "1975.jpg");
    EXPECT_FALSE(missing.empty());
    EXPECT_NE(missing, too_old);
    // The same place twice gives the same address: the difference is the place's.
    EXPECT_EQ(address_for(work / "other-missing.jpg"), missing);
}

}  // namespace
}  // namespace tavrel::test
