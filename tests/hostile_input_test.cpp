// Hostile input: odd names, paths too deep for the system, links, special files,
// permissions, and folders and files that change while a pass runs. Each gets a
// defined outcome - renamed, refused and kept, skipped, or the pass stops with
// the exact error text - and none may hang, crash or lose a byte.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <iostream>
#include <regex>
#include <thread>

#include "app/rename_session.h"
#include "collect/collect_directory.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "robustness_support.h"
#include "stamp/date_conversion_error.h"
#include "test_support.h"

namespace tavrel::test {
namespace {

using Files = std::map<std::string, std::string>;
using Strings = std::vector<std::string>;

// 2011-09-15 12:34:57 UTC: the stamp "20110915_".
const std::int64_t kWritten = UtcSeconds(2011, 9, 15, 12, 34, 57);

// Makes a chain of `levels` folders of 200-character names below top/start and
// returns a descriptor of the last one (paths that deep exceed PATH_MAX, so the
// chain is made through descriptors).
int MakeDeepChain(const std::string& top, const std::string& start, int levels) {
    MakeDirectory(top + "/" + start);
    int fd = ::open((top + "/" + start).c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(200, 'd');
    for (int level = 0; level < levels && fd >= 0; ++level) {
        ::mkdirat(fd, name.c_str(), 0755);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    return fd;
}

// The path, relative to top, of level `levels` of such a chain.
std::string DeepPath(const std::string& start, int levels) {
    std::string path = start;
    for (int level = 0; level < levels; ++level) path += "/" + std::string(200, 'd');
    return path;
}

void MakeFileAt(int directory_fd, const std::string& name, const std::string& contents) {
    const int fd = ::openat(directory_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << name;
    ASSERT_EQ(::write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
    const timespec times[2] = {{kWritten, 0}, {kWritten, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

void Link(const std::string& target, const std::string& path) {
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
}

struct HostileCase {
    const char* label;
    // Builds the input below the top folder and returns what the top folder
    // must hold afterwards; an empty map skips the case (the machine cannot
    // make that kind of input).
    std::function<Files(const std::string& top)> make;
    Strings arguments;  // relative to the top folder, which is the working directory
    int exit_code;      // 1: the pass stopped with the date conversion error
    bool without_override = false;
};

void ExpectOutcome(const RunResult& result, int exit_code) {
    EXPECT_EQ(result.exit_code, exit_code) << result.err;
    EXPECT_EQ(result.out, "");
    if (exit_code == 0) {
        EXPECT_EQ(result.err, "");
    } else {
        const std::regex stopped(
            "DateConversionError がモジュール tavrel の 0x[0-9a-f]+ で発生しました。\n"
            "日付に変換できない値が渡されました\\.\n");
        EXPECT_TRUE(std::regex_match(result.err, stopped)) << result.err;
    }
}

TEST(HostileInputTest, EachOddInputHasItsOwnOutcome) {
    const std::string long_name = std::string(242, 'x') + ".jpg";  // 246 bytes
    const HostileCase cases[] = {
        {"names that look like options are files: renamed",
         [](const std::string& top) {
             for (const char* name : {"-n.jpg", "--help", "-"})
                 MakeFile(top + "/" + name, kWritten, name);
             return Files{
                 {"20110915_-n.jpg", "-n.jpg"}, {"20110915_--help", "--help"}, {"20110915_-", "-"}};
         },
         {"-n.jpg", "--help", "-"},
         0},
        {"stamped name of 255 bytes taken, tagged name too long: refused and kept",
         [&](const std::string& top) {
             MakeFile(top + "/" + long_name, kWritten, "moving");
             MakeFile(top + "/20110915_" + long_name, kWritten, "taken");
             return Files{{long_name, "moving"}, {"20110915_" + long_name, "taken"}};
         },
         {"."},
         0},
        {"folder name with a newline and a byte that is no UTF-8: walked",
         [](const std::string& top) {
             MakeDirectory(top + "/caf\xE9\nd");
             MakeFile(top + "/caf\xE9\nd/IMG.jpg", kWritten, "in");
             return Files{{"caf\xE9\nd/20110915_IMG.jpg", "in"}};
         },
         {"."},
         0},
        {"folder deeper than PATH_MAX: skipped",
         [](const std::string& top) {
             MakeFile(top + "/top.jpg", kWritten, "top");
             const int deepest = MakeDeepChain(top, "deep", 21);
             MakeFileAt(deepest, "far.jpg", "far");
             ::close(deepest);
             return Files{{"20110915_top.jpg", "top"}, {DeepPath("deep", 21) + "/far.jpg", "far"}};
         },
         {"."},
         0},
        {"file whose path exceeds PATH_MAX: the pass stops there",
         [](const std::string& top) {
             MakeFile(top + "/aa.jpg", kWritten, "aa");
             MakeFile(top + "/zz.jpg", kWritten, "zz");
             const int deep = MakeDeepChain(top, "deep", 20);  // 4024 bytes of folders
             MakeFileAt(deep, std::string(100, 'f'), "long");
             ::close(deep);
             return Files{{"20110915_aa.jpg", "aa"},
                          {"zz.jpg", "zz"},
                          {DeepPath("deep", 20) + "/" + std::string(100, 'f'), "long"}};
         },
         {"."},
         1},
        {"link to the folder above the dropped one: not entered, nothing outside changes",
         [](const std::string& top) {
             MakeDirectory(top + "/drop");
             MakeFile(top + "/outside.jpg", kWritten, "out");
             MakeFile(top + "/drop/inside.jpg", kWritten, "in");
             Link("..", top + "/drop/up");
             return Files{{"outside.jpg", "out"},
                          {"drop/20110915_inside.jpg", "in"},
                          {"drop/up", "link:.."}};
         },
         {"drop"},
         0},
        {"link to a sibling folder: not entered, the folder's files renamed once",
         [](const std::string& top) {
             MakeDirectory(top + "/drop");
             MakeDirectory(top + "/drop/real");
             MakeFile(top + "/drop/real/x.jpg", kWritten, "x");
             Link("real", top + "/drop/alias");
             return Files{{"drop/real/20110915_x.jpg", "x"}, {"drop/alias", "link:real"}};
         },
         {"drop"},
         0},
        {"dangling link: the pass stops there",
         [](const std::string& top) {
             MakeFile(top + "/aa.jpg", kWritten, "aa");
             Link("nowhere", top + "/broken.jpg");
             MakeFile(top + "/zz.jpg", kWritten, "zz");
             return Files{
                 {"20110915_aa.jpg", "aa"}, {"broken.jpg", "link:nowhere"}, {"zz.jpg", "zz"}};
         },
         {"."},
         1},
        {"link to a file: the link renamed with its target's time, keeping its text",
         [](const std::string& top) {
             MakeFile(top + "/photo.jpg", kWritten, "photo");
             Link("photo.jpg", top + "/alias.jpg");
             return Files{{"20110915_alias.jpg", "link:photo.jpg"},
                          {"20110915_photo.jpg", "photo"}};
         },
         {"."},
         0},
        {"socket: cannot be opened, the pass stops there",
         [](const std::string& top) {
             MakeFile(top + "/aa.jpg", kWritten, "aa");
             MakeFile(top + "/zz.jpg", kWritten, "zz");
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             const std::string path = top + "/sock";
             path.copy(address.sun_path, sizeof address.sun_path - 1);
             EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
             return Files{{"20110915_aa.jpg", "aa"}, {"sock", "socket"}, {"zz.jpg", "zz"}};
         },
         {"."},
         1},
        {"device node: opened without blocking, renamed",
         [](const std::string& top) {
             if (::mknod((top + "/null").c_str(), S_IFCHR | 0644, ::makedev(1, 3)) != 0)
                 return Files{};
             SetMtime(top + "/null", kWritten);
             return Files{{"20110915_null", "device"}};
         },
         {"."},
         0},
        {"read-only folder: refused and kept; read-only file in a writable one: renamed",
         [](const std::string& top) {
             MakeDirectory(top + "/locked");
             MakeFile(top + "/locked/in.jpg", kWritten, "in");
             MakeFile(top + "/ro.jpg", kWritten, "ro");
             ::chmod((top + "/ro.jpg").c_str(), 0444);
             ::chmod((top + "/locked").c_str(), 0555);
             return Files{{"locked/in.jpg", "in"}, {"20110915_ro.jpg", "ro"}};
         },
         {"."},
         0,
         true},
        {"folder that can be listed but not entered: the pass stops at its first file",
         [](const std::string& top) {
             MakeFile(top + "/aa.jpg", kWritten, "aa");
             MakeDirectory(top + "/closed");
             MakeFile(top + "/closed/in.jpg", kWritten, "in");
             MakeFile(top + "/zz.jpg", kWritten, "zz");
             ::chmod((top + "/closed").c_str(), 0444);
             return Files{{"20110915_aa.jpg", "aa"}, {"closed/in.jpg", "in"}, {"zz.jpg", "zz"}};
         },
         {"."},
         1,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir work;
        const std::string top = work / "top";
        MakeDirectory(top);
        const Files expected = c.make(top);
        if (expected.empty()) {
            std::cout << "[ skipped  ] " << c.label << ": cannot be made here\n";
            RemoveTree(top);
            continue;
        }
        // The caller's folder must stay open to a run without root's override.
        ::chmod(work.path().c_str(), 0755);
        GuardOptions options;
        options.without_override = c.without_override;
        options.working_directory = top;
        Strings argv{TAVREL_BINARY};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ExpectOutcome(RunGuarded(argv, options), c.exit_code);
        EXPECT_EQ(Snapshot(top), expected);
        RemoveTree(top);
    }
}

TEST(HostileInputTest, SettingsFileThatIsAFifoReadsAsEmpty) {
    TempDir home, work;
    const std::string binary = CopyTavrelTo(home.path());
    ASSERT_EQ(::mkfifo((home / "setup.ini").c_str(), 0644), 0);
    MakeFile(work / "IMG.jpg", kWritten, "photo");
    ExpectOutcome(RunGuarded({binary, work.path()}), 0);
    EXPECT_EQ(Snapshot(work.path()), (Files{{"20110915_IMG.jpg", "photo"}}));
}

// A file system that does something to the tree at one chosen moment of a pass.
class SabotagedFileSystem : public PosixFileSystem {
public:
    std::function<void(const std::string&)> before_listing = [](const std::string&) {};
    std::function<void(const std::string&)> before_time_read = [](const std::string&) {};
    std::function<void(const std::string&)> before_rename = [](const std::string&) {};

    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override {
        before_listing(path);
        return PosixFileSystem::ReadDirectory(path, link);
    }
    std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) override {
        before_time_read(path);
        return PosixFileSystem::ReadLastWriteTime(path);
    }
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        before_rename(to);
        return PosixFileSystem::RenameNoReplace(from, to);
    }
};

// The files a walk of root finds, relative to it, sorted; collected in a child
// that cannot override permission bits, so that a folder made unreadable
// during the walk is unreadable to it.
Strings CollectInChild(const std::string& root,
                       const std::function<void(const std::string&)>& before_listing) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return {"pipe failed"};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipe_fds[0]);
        DropFileAccessOverride();
        SabotagedFileSystem file_system;
        file_system.before_listing = before_listing;
        PendingList pending;
        CollectDirectory(root, pending, file_system);
        for (const auto& path : pending) {
            const std::string line = path.substr(root.size() + 1) + "\n";
            if (::write(pipe_fds[1], line.data(), line.size()) < 0) ::_exit(1);
        }
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe_fds[0]);
    ::waitpid(pid, nullptr, 0);
    Strings paths;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        paths.push_back(text.substr(start, end - start));
    std::sort(paths.begin(), paths.end());
    return paths;
}

TEST(HostileInputTest, FolderThatVanishesOrLocksDuringTheWalkAddsNothing) {
    const struct {
        const char* label;
        std::function<void(const std::string& folder)> sabotage;
    } cases[] = {
        {"vanishes",
         [](const std::string& folder) { ::rename(folder.c_str(), (folder + ".gone").c_str()); }},
        {"becomes unreadable", [](const std::string& folder) { ::chmod(folder.c_str(), 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir work;
        ::chmod(work.path().c_str(), 0755);
        for (const char* folder : {"a", "b", "c"}) {
            MakeDirectory(work / folder);
            MakeFile(work / folder + "/f.jpg", kWritten);
        }
        const std::string victim = work / "b";
        const Strings found = CollectInChild(work.path(), [&](const std::string& path) {
            if (path == victim) c.sabotage(victim);
        });
        EXPECT_EQ(found, (Strings{"a/f.jpg", "c/f.jpg"}));
    }
}

class VanishingFileTest : public ::testing::Test {
protected:
    VanishingFileTest() {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            MakeFile(dir_ / name, kWritten, name);
    }
    std::string MoveAside(const std::string& name) {
        ::rename((dir_ / name).c_str(), (aside_ / name).c_str());
        return name;
    }
    Strings Entries() const {
        Strings entries;
        for (std::size_t i = 0; i < session_.file_list().size(); ++i)
            entries.push_back(session_.file_list()[i].substr(dir_.path().size() + 1));
        return entries;
    }

    TempDir dir_, aside_, settings_;
    SabotagedFileSystem file_system_;
    MonotonicClock clock_;
    RegionalFormats formats_ = RegionalFormats::Reference();
    std::unique_ptr<TextOrdering> ordering_ = MakeIcuTextOrdering("C");
    RenameSession session_{
        SessionServices{file_system_, clock_, formats_, *ordering_, settings_ / "setup.ini"}};
};

// Taken away after the walk, before the pass reaches it: its time cannot be
// read, so the pass stops there as for any file that cannot be stamped.
TEST_F(VanishingFileTest, BetweenTheWalkAndItsTurnThePassStopsThere) {
    file_system_.before_time_read = [&](const std::string& path) {
        if (path == dir_ / "a.jpg") MoveAside("c.jpg");
    };
    EXPECT_THROW(session_.Initialize({dir_.path()}), DateConversionError);
    EXPECT_EQ(Entries(), (Strings{"20110915_a.jpg", "20110915_b.jpg", "c.jpg", "d.jpg"}));
    EXPECT_EQ(
        Snapshot(dir_.path()),
        (Files{{"20110915_a.jpg", "a.jpg"}, {"20110915_b.jpg", "b.jpg"}, {"d.jpg", "d.jpg"}}));
    EXPECT_EQ(Snapshot(aside_.path()), (Files{{"c.jpg", "c.jpg"}}));
}

// Taken away after its time was read, before the rename: the rename is refused
// like any other, the entry keeps its path and the pass goes on.
TEST_F(VanishingFileTest, BetweenItsTimeAndItsRenameTheRenameIsRefused) {
    file_system_.before_rename = [&](const std::string& path) {
        if (path == dir_ / "20110915_b.jpg") MoveAside("b.jpg");
    };
    EXPECT_EQ(session_.Initialize({dir_.path()}), 0);
    EXPECT_EQ(Entries(), (Strings{"20110915_a.jpg", "b.jpg", "20110915_c.jpg", "20110915_d.jpg"}));
    EXPECT_EQ(Snapshot(dir_.path()), (Files{{"20110915_a.jpg", "a.jpg"},
                                            {"20110915_c.jpg", "c.jpg"},
                                            {"20110915_d.jpg", "d.jpg"}}));
    EXPECT_EQ(Snapshot(aside_.path()), (Files{{"b.jpg", "b.jpg"}}));
}

// Another process keeps moving one folder away and back and locking and
// unlocking it while the program walks and renames. Whether the folder is
// walked, skipped, or the pass stops at one of its files, nothing is lost.
TEST(HostileInputTest, FolderChangingUnderARunningPassLosesNothing) {
    constexpr int kRuns = 20;
    constexpr int kCount = 300;
    int completed = 0, stopped = 0;
    for (int run = 0; run < kRuns; ++run) {
        TempDir work;
        ::chmod(work.path().c_str(), 0755);
        const std::string root = work / "photos";
        const auto originals = MakeOriginals(root, 3, kCount, kWritten);
        const std::string folder = root + "/d1", away = root + "/d1.away";
        const pid_t toggler = ::fork();
        if (toggler == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (unsigned i = 0;; ++i) {
                if (i % 2 == 0) {
                    ::rename(folder.c_str(), away.c_str());
                    ::rename(away.c_str(), folder.c_str());
                } else {
                    ::chmod(folder.c_str(), 0);
                    ::chmod(folder.c_str(), 0755);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(50 * (run % 4)));
            }
        }
        GuardOptions options;
        options.without_override = true;
        const RunResult result = RunGuarded({TAVREL_BINARY, root}, options);
        ::kill(toggler, SIGKILL);
        ::waitpid(toggler, nullptr, 0);
        ::rename(away.c_str(), folder.c_str());
        ::chmod(folder.c_str(), 0755);

        ExpectOutcome(result, result.exit_code == 1 ? 1 : 0);
        (result.exit_code == 0 ? completed : stopped)++;
        const TreeCheck check = CheckEveryFileKept(root, originals, {"20110915_"}, {});
        EXPECT_TRUE(check.faults.empty()) << "run " << run << ": " << FaultSummary(check);
    }
    std::cout << "[ figures  ] folder changing under a pass: " << kRuns << " runs, " << completed
              << " completed, " << stopped << " stopped at a file that went away\n";
}

}  // namespace
}  // namespace tavrel::test
