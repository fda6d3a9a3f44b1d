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

// One step of a script: the jobs in hand to end, in this order, then the jobs
// Take gives until it gives none, as "read 0, rename 1, alone 2".
// Tokens of `end`: "3" ends the job at position 3 as it should end, "3!" ends
// it failed (a read that found no time, a rename that raised), "stop" stops
// the pass, "fail@3" fails it as a callback would for position 3.
struct Step {
    const char* end;
    const char* takes;
};

struct Script {
    const char* name;
    std::vector<std::string> paths;
    std::size_t in_one_folder;
    std::size_t across_folders;
    std::vector<Step> steps;
    // How the pass ends once the steps are done: nothing in hand.
    std::size_t finished;
    bool stopped;
    const char* error;  // the error's text; empty: none
};

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
        : paths_(script.paths),
          pass_paths_{paths_.size(),
                      [this](std::size_t i) -> const std::string& { return paths_[i]; }},
          schedule_(pass_paths_, ReadAhead{1, script.in_one_folder, script.across_folders, {}}) {}

    void Run(const Step& step) {
        std::istringstream tokens(step.end);
        for (std::string token; tokens >> token;) End(token);
        std::string takes;
        for (Job job = schedule_.Take(); job.kind != JobKind::kNone; job = schedule_.Take()) {
            takes += (takes.empty() ? "" : ", ") + Describe(job);
            EXPECT_EQ(in_hand_.count(job.position), 0u) << Describe(job) << ": taken twice";
            in_hand_[job.position] = job;
        }
        EXPECT_EQ(takes, step.takes) << "after ending \"" << step.end << "\"";
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
        for (const Step& step : script.steps) driver.Run(step);
        ASSERT_TRUE(driver.Idle()) << "the script leaves jobs in hand";
        EXPECT_TRUE(driver.schedule().Ended());
        const PassEnd end = driver.schedule().End();
        EXPECT_EQ(end.finished, script.finished);
        EXPECT_EQ(end.stopped, script.stopped);
        EXPECT_EQ(TextOf(end.error), script.error);
    }
}

TEST(AheadSchedule, ReadsStayNearInOneFolderAndRunOnToTheNextWithinReach) {
    RunScripts({
        {"one folder: as far as in_one_folder",
         {"a/1", "a/2", "a/3", "a/4"},
         2,
         8,
         {{"", "read 0, read 1"},
          {"0 1", "rename 0"},
          {"0", "rename 1"},  // the folder's reads wait for its renames
          {"1", "read 2, read 3"},
          {"2 3", "rename 2"},
          {"2", "rename 3"},
          {"3", ""}},
         4,
         false,
         ""},
        {"another folder within reach: on to its first file",
         {"a/1", "a/2", "a/3", "b/1"},
         2,
         8,
         {{"", "read 0, read 1, read 2, read 3"},
          {"3 2 1 0", "rename 0, rename 3"},
          {"0 3", "rename 1"},
          {"1", "rename 2"},
          {"2", ""}},
         4,
         false,
         ""},
        {"folders beyond across_folders wait",
         {"a/1", "b/1", "c/1"},
         1,
         2,
         {{"", "read 0, read 1"},
          {"0 1", "rename 0, rename 1"},
          {"1", ""},
          {"0", "read 2"},
          {"2", "rename 2"},
          {"2", ""}},
         3,
         false,
         ""},
    });
}

TEST(AheadSchedule, RenamesWaitForEveryReadBeforeThemAndGoOneAtATimeInAFolder) {
    RunScripts({
        {"a later folder read first waits for the earlier reads",
         {"a/1", "a/2", "b/1"},
         8,
         8,
         {{"", "read 0, read 1, read 2"},
          {"2", ""},
          {"0", ""},  // a read of its folder is still in flight
          {"1", "rename 0, rename 2"},
          {"0", "rename 1"},
          {"2 1", ""}},
         3,
         false,
         ""},
        {"a folder reached through a link is one folder",
         {"a/1", "l/2", "b/3"},
         8,
         8,
         {{"", "read 0, read 1, read 2"},
          {"0 1 2", "rename 0, rename 2"},
          {"0", "rename 1"},
          {"1 2", ""}},
         3,
         false,
         ""},
        {"a folder's next rename comes first when no other folder waits",
         {"a/1", "a/2", "b/1"},
         8,
         8,
         {{"", "read 0, read 1, read 2"},
          {"0 1 2", "rename 0, rename 2"},
          {"0", "rename 1"},
          {"1 2", ""}},
         3,
         false,
         ""},
        {"a folder whose rename ended goes behind one that waited",
         {"a/1", "a/2", "b/1", "c/1"},
         8,
         8,
         {{"", "read 0, read 1, read 2, read 3"},
          {"0 1 2 3", "rename 0, rename 2, rename 3"},
          {"3 0", "rename 1"},
          {"1 2", ""}},
         4,
         false,
         ""},
    });
}

TEST(AheadSchedule, AFileHandledAloneStartsOnceEveryFileBeforeItIsFinished) {
    RunScripts({
        {"its read found no time",
         {"a/1", "a/2", "a/3"},
         8,
         8,
         {{"", "read 0, read 1, read 2"},
          {"0 1! 2", "rename 0"},
          {"0", "alone 1"},
          {"1", "rename 2"},
          {"2", ""}},
         3,
         false,
         ""},
        {"listed twice: its read may have missed the first one's rename",
         {"a/1", "b/1", "a/1", "a/2"},
         8,
         8,
         {{"", "read 0, read 1, read 2, read 3"},
          {"0 1 2 3", "rename 0, rename 1"},
          {"0", ""},
          {"1", "alone 2"},
          {"2", "rename 3"},
          {"3", ""}},
         4,
         false,
         ""},
        {"handled alone and failed: the pass ends there",
         {"a/1", "a/2", "b/1"},
         8,
         8,
         {{"", "read 0, read 1, read 2"}, {"0 1! 2", "rename 0"}, {"0", "alone 1"}, {"1!", ""}},
         1,
         false,
         "rename 1!"},
    });
}

TEST(AheadSchedule, StopsAndErrorsLetTheJobsInHandEndAndStartNoOther) {
    RunScripts({
        {"stopped while reading",
         {"a/1", "a/2", "a/3"},
         8,
         8,
         {{"", "read 0, read 1, read 2"}, {"stop 0 1 2", ""}},
         0,
         true,
         ""},
        {"stopped while renaming",
         {"a/1", "a/2", "b/1"},
         8,
         8,
         {{"", "read 0, read 1, read 2"}, {"0 1 2", "rename 0, rename 2"}, {"stop 2 0", ""}},
         1,
         true,
         ""},
        {"a rename's error ends the pass at its position",
         {"a/1", "b/1", "a/2", "b/2"},
         8,
         8,
         {{"", "read 0, read 1, read 2, read 3"},
          {"0 1 2 3", "rename 0, rename 1"},
          {"1!", ""},
          {"0", ""}},
         1,
         false,
         "rename 1!"},
        {"the first position's error is the pass's",
         {"a/1", "b/1"},
         8,
         8,
         {{"", "read 0, read 1"}, {"0 1", "rename 0, rename 1"}, {"fail@1 0! 1", ""}},
         0,
         false,
         "rename 0!"},
        {"a callback's error ends the pass as a rename's",
         {"a/1", "a/2"},
         8,
         8,
         {{"", "read 0, read 1"}, {"0 1", "rename 0"}, {"fail@1 0", ""}},
         1,
         false,
         "callback"},
    });
}

}  // namespace
}  // namespace tavrel
