// Crashes: a rename pass, or a write of the settings file, killed with SIGKILL
// at a random point of its work. Afterwards every file is there exactly once with all its
// bytes, and the settings file holds the old text or the new one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>

#include "app/rename_session.h"
#include "app/settings_file.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "robustness_support.h"
#include "test_support.h"

namespace tavrel::test {
namespace {

// 2011-09-15 12:34:57 UTC: the stamps "20110915_" and "20110915-123456_".
const std::int64_t kWritten = UtcSeconds(2011, 9, 15, 12, 34, 57);
const std::vector<std::string> kStamps = {"20110915_", "20110915-123456_"};

// Each pass after the first changes every name again: type 2 replaces the date
// stamp with the date-time stamp, type 0 removes it, type 1 puts it back.
const int kTypeOfRound[] = {2, 0, 1};

void StoreStampType(const std::string& settings_path, int stamp_type) {
    std::ofstream(settings_path, std::ios::binary | std::ios::trunc)
        << "StampType:" << stamp_type << "\r\n";
}

// How many originals bear the name a pass with this stamp type gives them.
int InForm(const std::string& root, int folders, int stamp_type) {
    int count = 0;
    for (int d = 0; d < folders; ++d) {
        for (const auto& name : Names(root + "/d" + std::to_string(d))) {
            const bool date_time = name.rfind(kStamps[1], 0) == 0;
            const bool date = name.rfind(kStamps[0], 0) == 0;
            if ((stamp_type == 2 && date_time) || (stamp_type == 1 && date) ||
                (stamp_type == 0 && !date && !date_time))
                ++count;
        }
    }
    return count;
}

struct KillFigures {
    int rounds = 0;
    int kills = 0;
    int mid_pass = 0;  // kills that came after some renames and before the last
    int fewest = -1;
    int most = 0;

    // Counts one round; true when it was a kill in the middle of a pass.
    bool Add(int renamed, int count, bool killed) {
        ++rounds;
        kills += killed ? 1 : 0;
        const bool in_the_middle = killed && renamed > 0 && renamed < count;
        mid_pass += in_the_middle ? 1 : 0;
        fewest = fewest < 0 ? renamed : std::min(fewest, renamed);
        most = std::max(most, renamed);
        return in_the_middle;
    }
    std::string Text() const {
        return std::to_string(rounds) + " rounds, " + std::to_string(kills) + " kills, " +
               std::to_string(mid_pass) +
               " of them mid-pass, renamed before the kill: " + std::to_string(fewest) + " to " +
               std::to_string(most);
    }
};

// Kills land after a tenth to nine tenths of a pass's renames, whatever the speed.
KillPlan KillsWithinAPass(const std::string& root, int folders, int count) {
    KillPlan plan;
    for (const auto& folder : OriginalFolders(folders)) plan.folders.push_back(root + "/" + folder);
    plan.fewest_names = count / 10;
    plan.most_names = count * 9 / 10;
    return plan;
}

TEST(CrashTest, KilledCommandLinePassesNeverLoseOrDuplicateAFile) {
    constexpr int kCount = 20000;
    constexpr int kFolders = 10;
    constexpr int kKills = 12;
    TempDir home, work;
    const std::string binary = CopyTavrelTo(home.path());
    const std::string settings = home / "setup.ini";
    const std::string root = work / "photos";
    const auto originals = MakeOriginals(root, kFolders, kCount, kWritten);

    StoreStampType(settings, 1);
    const RunResult first = RunGuarded({binary, root});
    ASSERT_EQ(first.exit_code, 0) << first.err;
    ASSERT_EQ(InForm(root, kFolders, 1), kCount);

    KillFigures figures;
    int before = InForm(root, kFolders, kTypeOfRound[0]);
    StoreStampType(settings, kTypeOfRound[0]);
    const char* state_home = StateHomeEntry();
    const int rounds = CrashUntilKilled(
        kKills, 3 * kKills, KillsWithinAPass(root, kFolders, kCount), 20110915,
        [&](int) {
            const int null_fd = ::open("/dev/null", O_WRONLY);
            ::dup2(null_fd, 1);
            const char* argv[] = {binary.c_str(), root.c_str(), nullptr};
            const char* env[] = {"TZ=UTC", "LC_ALL=C", state_home, nullptr};
            ::execve(argv[0], const_cast<char**>(argv), const_cast<char**>(env));
            ::_exit(127);
        },
        [&](int round, const KillOutcome& outcome) {
            const TreeCheck check = CheckEveryFileKept(root, originals, kStamps, {});
            EXPECT_TRUE(check.faults.empty()) << "round " << round << ": " << FaultSummary(check);
            // Every new name was free: a tag would mean a name was seen twice.
            EXPECT_EQ(check.tagged_names, 0) << "round " << round;
            const int type = kTypeOfRound[round % 3];
            const bool mid_pass =
                figures.Add(InForm(root, kFolders, type) - before, kCount, outcome.killed);
            const int next = kTypeOfRound[(round + 1) % 3];
            before = InForm(root, kFolders, next);
            StoreStampType(settings, next);
            return mid_pass;
        });

    // A pass left to run to its end finishes the work of the killed ones.
    const RunResult last = RunGuarded({binary, root});
    EXPECT_EQ(last.exit_code, 0) << last.err;
    EXPECT_EQ(last.err, "");
    const TreeCheck check = CheckEveryFileKept(root, originals, kStamps, {});
    EXPECT_TRUE(check.faults.empty()) << FaultSummary(check);
    EXPECT_EQ(InForm(root, kFolders, kTypeOfRound[rounds % 3]), kCount);
    EXPECT_GE(figures.mid_pass, kKills) << figures.Text();
    std::cout << "[ figures  ] command line, " << kCount << " files: " << figures.Text() << "\n";
}

// The same in-process, on each branch of the rename chain. The link + unlink
// step is not atomic: a kill between its calls leaves a file under two names
// of one inode, but never loses a byte.
TEST(CrashTest, KilledPassesOnEachBranchOfTheRenameChainLoseNothing) {
    constexpr int kCount = 6000;
    constexpr int kFolders = 2;
    constexpr int kKills = 5;
    for (const auto& c : kChainBranches) {
        SCOPED_TRACE(c.label);
        TempDir home, work;
        const std::string settings = home / "setup.ini";
        const std::string root = work / "photos";
        const auto originals = MakeOriginals(root, kFolders, kCount, kWritten);
        auto pass = [&] {
            BranchFileSystem file_system(c.branch);
            MonotonicClock clock;
            const RegionalFormats formats = RegionalFormats::Reference();
            const auto ordering = MakeIcuTextOrdering("C");
            RenameSession session(
                SessionServices{file_system, clock, formats, *ordering, settings});
            session.Initialize({root});
        };
        StoreStampType(settings, 1);
        pass();

        Allowances allowed;
        allowed.link_doubles = c.branch == ChainBranch::kLinkAndUnlink;
        KillFigures figures;
        int before = InForm(root, kFolders, kTypeOfRound[0]);
        StoreStampType(settings, kTypeOfRound[0]);
        TreeCheck check;
        CrashUntilKilled(
            kKills, 3 * kKills, KillsWithinAPass(root, kFolders, kCount), 20110915,
            [&](int) { pass(); },
            [&](int round, const KillOutcome& outcome) {
                check = CheckEveryFileKept(root, originals, kStamps, {}, allowed);
                EXPECT_TRUE(check.faults.empty())
                    << "round " << round << ": " << FaultSummary(check);
                const bool mid_pass =
                    figures.Add(InForm(root, kFolders, kTypeOfRound[round % 3]) - before, kCount,
                                outcome.killed);
                const int next = kTypeOfRound[(round + 1) % 3];
                before = InForm(root, kFolders, next);
                StoreStampType(settings, next);
                return mid_pass;
            });
        EXPECT_GE(figures.mid_pass, kKills) << figures.Text();
        std::cout << "[ figures  ] in-process, " << c.label << ", " << kCount
                  << " files: " << figures.Text() << "; left under two names " << check.link_doubles
                  << "\n";
    }
}

// Whatever writes the settings file - the window's close will - may be killed
// at any moment; the file must then hold the old text or the new one. Each
// write makes two new names beside it (the temporary file, then the rename),
// so kills land anywhere within the first fifty writes.
TEST(CrashTest, KilledSettingsWriterLeavesTheOldOrTheNewFile) {
    constexpr int kKills = 40;
    TempDir home;
    const std::string path = home / "setup.ini";
    PosixFileSystem file_system;
    WriteSettingsFile(path, 1, file_system);
    KillPlan plan;
    plan.folders = {home.path()};
    plan.most_names = 100;
    int kills = 0;
    CrashUntilKilled(
        kKills, kKills, plan, 20110915,
        [&](int round) {
            PosixFileSystem child_file_system;
            for (int i = 0;; ++i) WriteSettingsFile(path, (round + i) % 3, child_file_system);
        },
        [&](int round, const KillOutcome& outcome) {
            kills += outcome.killed ? 1 : 0;
            const std::string text = ReadFile(path);
            EXPECT_TRUE(IsWholeSettingsFile(text)) << "round " << round << ": " << text;
            EXPECT_TRUE(ReadSettingsFile(path, file_system).has_value());
            return outcome.killed;
        });
    EXPECT_EQ(kills, kKills);
    // A kill before the rename leaves its temporary file behind, beside the
    // settings file; it is never read.
    int left_behind = 0;
    for (const auto& name : Names(home.path())) {
        if (name == "setup.ini") continue;
        EXPECT_EQ(name.rfind("setup.ini.", 0), 0u) << name;
        ++left_behind;
    }
    std::cout << "[ figures  ] settings file: " << kills << " kills, temporary files left "
              << left_behind << "\n";
}

}  // namespace
}  // namespace tavrel::test
