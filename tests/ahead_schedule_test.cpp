// The schedule of the pass that reads ahead, driven by hand: which jobs may
// start as reads and renames end in the orders that matter.

#include "pass/ahead_schedule.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrel {
namespace {

using Job = AheadSchedule::Job;
using JobKind = AheadSchedule::JobKind;

// A schedule's script: steps separated by ";", each "ENDS -> TAKES": the jobs
// in hand to end, in this order, then the jobs Take gives until it gives none
// ("read 0, rename 1, alone 2"). Tokens of ENDS: "3" ends the job at position
// 3 as it should end, "3!" ends it failed (a read that found no time, a rename
// that raised), "stop" stops the pass, "fail@3" fails it as a callback would
// for position 3. Once the steps are done, nothing is in hand.
struct Script {
    const char* name;
    const char* paths;  // separated by spaces
    std::size_t in_one_folder;
    std::size_t across_folders;
    const char* steps;
    // How the pass ended: "finished N", ", stopped", ", error TEXT".
    const char* end;
};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream words(text);
    std::vector<std::string> split;
    for (std::string word; words >> word;) split.push_back(word);
    return split;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The folder of a path by its text, where "l/" is a link to "a/"; the file by
// its whole path, so that a path listed twice is one file.
FileIdentity FolderOf(const std::string& path) {
    const char folder = path[0] == 'l' ? 'a' : path[0];
    return {1, static_cast<std::uint64_t>(folder)};
}
FileIdentity FileOf(const std::string& path) {
    return {2, std::hash<std::string>{}(path)};
}

std::string Describe(const Job& job) {
    static const char* const kNames[] = {"none", "read", "rename", "alone"};
    return kNames[static_cast<int>(job.kind)] + std::string(" ") + std::to_string(job.position);
}

class Driver {
public:
    explicit Driver(const Script& script)
        : paths_(Words(script.paths)),
          pass_paths_{paths_.size(),
                      [this](std::size_t i) -> const std::string& { return paths_[i]; }},
          schedule_(pass_paths_, ReadAhead{1, script.in_one_folder, script.across_folders, {}}) {}

    // Ends the jobs named in `ends`, then takes jobs until none may start and
    // checks them against `takes`.
    void Step(const std::string& ends, const std::string& takes_expected) {
        std::istringstream tokens(ends);
        for (std::string token; tokens >> token;) End(token);
        std::string takes;
        for (Job job = schedule_.Take(); job.kind != JobKind::kNone; job = schedule_.Take()) {
            takes += (takes.empty() ? "" : ", ") + Describe(job);
            EXPECT_EQ(in_hand_.count(job.position), 0u) << Describe(job) << ": taken twice";
            in_hand_[job.position] = job;
        }
        EXPECT_EQ(takes, takes_expected) << "after ending \"" << ends << "\"";
        if (!in_hand_.empty()) {
            EXPECT_FALSE(schedule_.Ended()) << "jobs in hand";
        }
    }

    bool Idle() const { return in_hand_.empty(); }
    AheadSchedule& schedule() { return schedule_; }

private:
    void End(const std::string& token) {
        if (token == "stop") return schedule_.Stop();
        if (token.rfind("fail@", 0) == 0)
            return schedule_.Fail(std::stoul(token.substr(5)),
                                  std::make_exception_ptr(std::runtime_error("callback")));
        const std::size_t position = std::stoul(token);
        const bool failed = token.back() == '!';
        const auto found = in_hand_.find(position);
        ASSERT_NE(found, in_hand_.end()) << "no job in hand at " << position;
        const Job job = found->second;
        in_hand_.erase(found);
        const std::string& path = paths_[position];
        if (job.kind == JobKind::kRead) {
            AheadRead read;
            read.path = path;
            if (!failed) {
                read.stamp = "20110914";
                read.file = FileOf(path);
                read.folder = FolderOf(path);
            }
            return schedule_.ReadEnded(position, std::move(read));
        }
        EXPECT_EQ(job.path, path);
        RenameJobResult result;
        result.after = path + "~";
        if (job.kind == JobKind::kAlone) {
            result.file = FileOf(path);
            result.folder = FolderOf(path);
        }
        if (failed) result.error = std::make_exception_ptr(std::runtime_error("rename " + token));
        schedule_.RenameEnded(job, result);
    }

    std::vector<std::string> paths_;
    PassPaths pass_paths_;
    AheadSchedule schedule_;
    std::map<std::size_t, Job> in_hand_;
};

std::string TextOf(const std::exception_ptr& error) {
    if (!error) return "";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    }
}

void RunScripts(const std::vector<Script>& scripts) {
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        Driver driver(script);
        std::istringstream steps(script.steps);
        for (std::string step; std::getline(steps, step, ';');) {
            const auto arrow = step.find("->");
            ASSERT_NE(arrow, std::string::npos) << step;
            driver.Step(step.substr(0, arrow), Trimmed(step.substr(arrow + 2)));
        }
        ASSERT_TRUE(driver.Idle()) << "the script leaves jobs in hand";
        EXPECT_TRUE(driver.schedule().Ended());
        const PassEnd end = driver.schedule().End();
        std::string how = "finished " + std::to_string(end.finished);
        if (end.stopped) how += ", stopped";
        if (end.error) how += ", error " + TextOf(end.error);
        EXPECT_EQ(how, script.end);
    }
}

TEST(AheadSchedule, ReadsStayNearInOneFolderAndRunOnToTheNextWithinReach) {
    RunScripts({
        // The folder's reads wait for its renames, and its renames for its reads.
        {"one folder: as far as in_one_folder", "a/1 a/2 a/3 a/4", 2, 8,
         "-> read 0, read 1; 0 1 -> rename 0; 0 -> rename 1; 1 -> read 2, read 3;"
         "2 3 -> rename 2; 2 -> rename 3; 3 ->",
         "finished 4"},
        {"another folder within reach: on to its first file", "a/1 a/2 a/3 b/1", 2, 8,
         "-> read 0, read 1, read 2, read 3; 3 2 1 0 -> rename 0, rename 3; 0 3 -> rename 1;"
         "1 -> rename 2; 2 ->",
         "finished 4"},
        {"folders beyond across_folders wait", "a/1 b/1 c/1", 1, 2,
         "-> read 0, read 1; 0 1 -> rename 0, rename 1; 1 ->; 0 -> read 2; 2 -> rename 2; 2 ->",
         "finished 3"},
    });
}

TEST(AheadSchedule, RenamesWaitForEveryReadBeforeThemAndGoOneAtATimeInAFolder) {
    RunScripts({
        // Position 0 waits for the read of 1, in its folder, to end; a/'s next
        // rename follows its last while no other folder waits.
        {"a later folder read first waits for the earlier reads", "a/1 a/2 b/1", 8, 8,
         "-> read 0, read 1, read 2; 2 ->; 0 ->; 1 -> rename 0, rename 2; 0 -> rename 1; 2 1 ->",
         "finished 3"},
        {"a folder reached through a link is one folder", "a/1 l/2 b/3", 8, 8,
         "-> read 0, read 1, read 2; 0 1 2 -> rename 0, rename 2; 0 -> rename 1; 1 2 ->",
         "finished 3"},
        {"a folder whose rename ended goes behind one that waited", "a/1 a/2 b/1 c/1", 8, 8,
         "-> read 0, read 1, read 2, read 3; 0 1 2 3 -> rename 0, rename 2, rename 3;"
         "3 0 -> rename 1; 1 2 ->",
         "finished 4"},
    });
}

TEST(AheadSchedule, AFileHandledAloneStartsOnceEveryFileBeforeItIsFinished) {
    RunScripts({
        {"its read found no time", "a/1 a/2 a/3", 8, 8,
         "-> read 0, read 1, read 2; 0 1! 2 -> rename 0; 0 -> alone 1; 1 -> rename 2; 2 ->",
         "finished 3"},
        {"listed twice: its read may have missed the first one's rename", "a/1 b/1 a/1 a/2", 8, 8,
         "-> read 0, read 1, read 2, read 3; 0 1 2 3 -> rename 0, rename 1; 0 ->;"
         "1 -> alone 2; 2 -> rename 3; 3 ->",
         "finished 4"},
        {"handled alone and failed: the pass ends there", "a/1 a/2 b/1", 8, 8,
         "-> read 0, read 1, read 2; 0 1! 2 -> rename 0; 0 -> alone 1; 1! ->",
         "finished 1, error rename 1!"},
    });
}

TEST(AheadSchedule, StopsAndErrorsLetTheJobsInHandEndAndStartNoOther) {
    RunScripts({
        {"stopped while reading", "a/1 a/2 a/3", 8, 8, "-> read 0, read 1, read 2; stop 0 1 2 ->",
         "finished 0, stopped"},
        {"stopped while renaming", "a/1 a/2 b/1", 8, 8,
         "-> read 0, read 1, read 2; 0 1 2 -> rename 0, rename 2; stop 2 0 ->",
         "finished 1, stopped"},
        {"a rename's error ends the pass at its position", "a/1 b/1 a/2 b/2", 8, 8,
         "-> read 0, read 1, read 2, read 3; 0 1 2 3 -> rename 0, rename 1; 1! ->; 0 ->",
         "finished 1, error rename 1!"},
        {"the first position's error is the pass's", "a/1 b/1", 8, 8,
         "-> read 0, read 1; 0 1 -> rename 0, rename 1; fail@1 0! 1 ->",
         "finished 0, error rename 0!"},
        {"a callback's error ends the pass as a rename's", "a/1 a/2", 8, 8,
         "-> read 0, read 1; 0 1 -> rename 0; fail@1 0 ->", "finished 1, error callback"},
    });
}

}  // namespace
}  // namespace tavrel
