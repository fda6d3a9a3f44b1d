// Races: a rival process takes the names a rename pass is about to choose, and
// removes some of its own again, while the pass runs. Whatever the timing, every
// file of the pass must end up exactly once under its old or its new name with
// its contents, and no file of the rival may be replaced.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <random>

#include "app/rename_session.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/no_replace_rename.h"
#include "platform/posix/posix_file_system.h"
#include "robustness_support.h"
#include "test_support.h"

namespace tavrel::test {
namespace {

// 2011-09-15 12:34:57 UTC: the stamp "20110915_".
const std::int64_t kWritten = UtcSeconds(2011, 9, 15, 12, 34, 57);
const char kStamp[] = "20110915_";

void ShowFigures(const std::string& label, const TreeCheck& check, const SquatterReport& rival) {
    std::cout << "[ figures  ] " << label << ": renamed " << check.new_names << ", tagged "
              << check.tagged_names << ", kept (rename refused) " << check.old_names
              << "; rival saw " << rival.events << " new names, took " << rival.squatted
              << ", found taken " << rival.refused << ", gave back " << rival.released
              << "; rival files replaced in the last step's window " << check.window_losses << "\n";
}

TEST(RaceTest, CommandLinePassKeepsEveryFileWhileARivalTakesItsNames) {
    constexpr int kCount = 20000;
    constexpr int kFolders = 4;
    TempDir work;
    const std::string root = work / "photos";
    const auto originals = MakeOriginals(root, kFolders, kCount, kWritten);
    Squatter rival(root, OriginalFolders(kFolders), WantedNames(originals, kStamp), kCount);
    // Taken before the pass starts, with the time the pass would give them, so
    // the pass leaves them alone and has to search on for those originals.
    for (int n = 5; n < kCount; n += 10) rival.TakeInAdvance(n, kWritten);
    rival.Start();
    GuardOptions options;
    options.time_limit_seconds = 300;
    const RunResult result = RunGuarded({TAVREL_BINARY, root}, options);
    const SquatterReport report = rival.Stop();

    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const TreeCheck check = CheckEveryFileKept(root, originals, {kStamp}, report.live);
    EXPECT_TRUE(check.faults.empty()) << FaultSummary(check);
    EXPECT_GE(check.tagged_names + check.old_names, kCount / 10);
    ShowFigures("command line, 20000 files", check, report);
}

// A rival that creates the target (with O_EXCL, as a careful program does) right
// before one of the chain's calls, the worst moment it could pick, finds the
// name taken or keeps its file - except at the one place the chain leaves
// open: between the lstat and the plain rename of the last step, which has no
// atomic way to refuse a taken name. (Reserving the name with an O_EXCL
// placeholder and renaming over it would close that window, but fusefat, the
// file system this step is for, corrupts its directories when a rename replaces
// a file.)
TEST(RaceTest, RivalCreatingTheTargetIsReplacedOnlyInTheWindowOfTheLastStep) {
    for (const auto& c : kChainBranches) {
        for (int step = 0; step < 4; ++step) {
            SCOPED_TRACE(std::string(c.label) + ", rival before call " + std::to_string(step));
            TempDir dir;
            MakeFile(dir / "IMG.jpg", kWritten, "photo");
            const std::string target = dir / "20110915_IMG.jpg";
            int calls_made = 0;
            bool rival_made = false;
            auto rival = [&] {
                if (calls_made++ == step) rival_made = CreateExclusive(target, "rival");
            };
            const RenameSystemCalls plain = CallsFor(c.branch);
            RenameSystemCalls calls = plain;
            calls.rename_no_replace = [&](const char* a, const char* b) {
                rival();
                return plain.rename_no_replace(a, b);
            };
            calls.link = [&](const char* a, const char* b) {
                rival();
                return plain.link(a, b);
            };
            calls.unlink = [&](const char* a) {
                rival();
                return plain.unlink(a);
            };
            calls.lstat = [&](const char* a) {
                rival();
                return plain.lstat(a);
            };
            calls.rename = [&](const char* a, const char* b) {
                rival();
                return plain.rename(a, b);
            };
            const int result = RenameWithoutReplacing(dir / "IMG.jpg", target, calls);
            using Files = std::map<std::string, std::string>;
            const bool in_the_window = c.branch == ChainBranch::kLstatAndRename && step == 3;
            if (in_the_window) {
                EXPECT_TRUE(rival_made);
                EXPECT_EQ(result, 0);
                EXPECT_EQ(Snapshot(dir.path()), (Files{{"20110915_IMG.jpg", "photo"}}));
            } else if (rival_made) {
                EXPECT_EQ(result, EEXIST);
                EXPECT_EQ(Snapshot(dir.path()),
                          (Files{{"20110915_IMG.jpg", "rival"}, {"IMG.jpg", "photo"}}));
            } else {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(Snapshot(dir.path()), (Files{{"20110915_IMG.jpg", "photo"}}));
            }
        }
    }
}

// The real file system, with renames that take one branch of the chain, and a
// rival inside it that takes some of the names the pass asks about: some just
// before the check (the pass must search on, also among tagged names), some
// right after the check found them free (the rename itself must then refuse).
class ContestedFileSystem : public BranchFileSystem {
public:
    ContestedFileSystem(ChainBranch branch, std::string root)
        : BranchFileSystem(branch), root_(std::move(root)) {}

    bool IsNameTaken(const std::string& path) override {
        if (random_() % 6 == 0) Take(path);
        const bool taken = PosixFileSystem::IsNameTaken(path);
        if (!taken && random_() % 10 == 0 && Take(path)) ++taken_after_check;
        return taken;
    }

    std::map<std::string, std::string> taken;  // path below root -> contents
    int taken_after_check = 0;

private:
    bool Take(const std::string& path) {
        const std::string contents = "rival in-process " + std::to_string(taken.size());
        if (!CreateExclusive(path, contents)) return false;
        taken[path.substr(root_.size() + 1)] = contents;
        return true;
    }

    std::string root_;
    std::minstd_rand random_{20110915};
};

TEST(RaceTest, EveryBranchOfTheRenameChainKeepsEveryFileUnderRivals) {
    constexpr int kCount = 4000;
    constexpr int kFolders = 2;
    for (const auto& c : kChainBranches) {
        SCOPED_TRACE(c.label);
        TempDir work;
        const std::string root = work / "photos";
        const auto originals = MakeOriginals(root, kFolders, kCount, kWritten);
        Squatter rival(root, OriginalFolders(kFolders), WantedNames(originals, kStamp), kCount);
        for (int n = 5; n < kCount; n += 10) rival.TakeInAdvance(n, kWritten);
        rival.Start();

        ContestedFileSystem file_system(c.branch, root);
        MonotonicClock clock;
        const RegionalFormats formats = RegionalFormats::Reference();
        const auto ordering = MakeIcuTextOrdering("C");
        RenameSession session(
            SessionServices{file_system, clock, formats, *ordering, work / "setup.ini"});
        EXPECT_EQ(session.Initialize({root}), 0);
        SquatterReport report = rival.Stop();

        auto others = report.live;
        others.insert(file_system.taken.begin(), file_system.taken.end());
        Allowances allowed;
        allowed.window_losses = c.branch == ChainBranch::kLstatAndRename;
        const TreeCheck check = CheckEveryFileKept(root, originals, {kStamp}, others, allowed);
        EXPECT_TRUE(check.faults.empty()) << FaultSummary(check);
        // Each name taken right after its check made that rename refuse.
        EXPECT_GE(check.old_names, file_system.taken_after_check);
        // The list shows the path each file bears afterwards.
        int stale_entries = 0;
        for (std::size_t i = 0; i < session.file_list().size(); ++i)
            if (!Exists(session.file_list()[i])) ++stale_entries;
        EXPECT_EQ(stale_entries, 0);
        ShowFigures(std::string("in-process, ") + c.label, check, report);
    }
}

// Two runs of the program over one tree at once, one giving date stamps and the
// other date-time stamps: each may find files gone that the other renamed and
// stop there, but no file is lost or doubled.
TEST(RaceTest, TwoRunsOverOneTreeAtOnceKeepEveryFile) {
    constexpr int kCount = 3000;
    constexpr int kRounds = 3;
    TempDir home;
    const std::string date_time_binary = CopyTavrelTo(home.path());
    MakeFile(home / "setup.ini", kWritten, "StampType:2");
    int completed = 0, stopped = 0;
    for (int round = 0; round < kRounds; ++round) {
        TempDir work;
        const std::string root = work / "photos";
        const auto originals = MakeOriginals(root, 2, kCount, kWritten);
        pid_t runs[2];
        std::string errors[2];
        const char* state_home = StateHomeEntry();
        for (int i = 0; i < 2; ++i) {
            errors[i] = work / ("errors" + std::to_string(i));
            runs[i] = ::fork();
            if (runs[i] == 0) {
                const int fd = ::open(errors[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                ::dup2(fd, 2);
                const char* argv[] = {i == 0 ? TAVREL_BINARY : date_time_binary.c_str(),
                                      root.c_str(), nullptr};
                const char* env[] = {"TZ=UTC", "LC_ALL=C", state_home, nullptr};
                ::execve(argv[0], const_cast<char**>(argv), const_cast<char**>(env));
                ::_exit(127);
            }
        }
        for (int i = 0; i < 2; ++i) {
            int status = 0;
            ::waitpid(runs[i], &status, 0);
            const int exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            ASSERT_TRUE(exit_code == 0 || exit_code == 1) << exit_code;
            (exit_code == 0 ? completed : stopped)++;
            if (exit_code == 1) {
                EXPECT_NE(ReadFile(errors[i]).find("日付に変換できない値が渡されました."),
                          std::string::npos);
            }
            ::unlink(errors[i].c_str());
        }
        const TreeCheck check =
            CheckEveryFileKept(root, originals, {kStamp, "20110915-123456_"}, {});
        EXPECT_TRUE(check.faults.empty()) << "round " << round << ": " << FaultSummary(check);
    }
    std::cout << "[ figures  ] two runs at once, " << kRounds << " rounds of " << kCount
              << " files: " << completed << " runs completed, " << stopped << " stopped\n";
}

}  // namespace
}  // namespace tavrel::test
