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
// for position 3. Once the steps are done, nothing is in hand. A path's
// folder is its first letter, where "l" is a link to "a"; a path listed twice
// is one file.
struct Script {
    const char* name;
    std::vector<std::string> paths;
    const char* steps;
    const char* end;  // "finished N", then ", stopped" or ", error TEXT"
};

std::string TextOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    }
}

// A rename waits for every read before it and goes one at a time in its
// folder; a file handled alone starts once every file before it is finished;
// a stop or an error lets the jobs in hand end and starts no other.
TEST(AheadSchedule, StartsEachJobOnlyOnceTheJobsItWaitsForEnded) {
    const Script scripts[] = {
        // Position 0 waits for the read of 1, in its folder, to end.
        {"a later folder read first waits for the earlier reads",
         {"a/1", "a/2", "b/1"},
         "-> read 0, read 1, read 2; 2 ->; 0 ->; 1 -> rename 0, rename 2; 0 -> rename 1; 2 1 ->",
         "finished 3"},
        {"a folder reached through a link is one folder",
         {"a/1", "l/2", "b/3"},
         "-> read 0, read 1, read 2; 0 1 2 -> rename 0, rename 2; 0 -> rename 1; 1 2 ->",
         "finished 3"},
        {"alone: its read found no time",
         {"a/1", "a/2", "a/3"},
         "-> read 0, read 1, read 2; 0 1! 2 -> rename 0; 0 -> alone 1; 1 -> rename 2; 2 ->",
         "finished 3"},
        {"alone: listed twice, its read may have missed the first one's rename",
         {"a/1", "b/1", "a/1", "a/2"},
         "-> read 0, read 1, read 2, read 3; 0 1 2 3 -> rename 0, rename 1; 0 ->;"
         "1 -> alone 2; 2 -> rename 3; 3 ->",
         "finished 4"},
        {"stopped while reading",
         {"a/1", "a/2", "a/3"},
         "-> read 0, read 1, read 2; stop 0 1 2 ->",
         "finished 0, stopped"},
        {"a rename's error ends the pass at its position",
         {"a/1", "b/1", "a/2", "b/2"},
         "-> read 0, read 1, read 2, read 3; 0 1 2 3 -> rename 0, rename 1; 1! ->; 0 ->",
         "finished 1, error rename 1!"},
        {"the first position's error is the pass's",
         {"a/1", "b/1"},
         "-> read 0, read 1; 0 1 -> rename 0, rename 1; fail@1 0! 1 ->",
         "finished 0, error rename 0!"},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        const std::vector<std::string>& paths = script.paths;
        const PassPaths pass_paths{paths.size(),
                                   [&](std::size_t i) -> const std::string& { return paths[i]; }};
        AheadSchedule schedule(pass_paths, ReadAhead{1, 8, 8, {}});
        std::map<std::size_t, Job> in_hand;
        const auto end = [&](const std::string& token) {
            if (token == "stop") return schedule.Stop();
            if (token.starts_with("fail@"))
                return schedule.Fail(std::stoul(token.substr(5)),
                                     std::make_exception_ptr(std::runtime_error("callback")));
            const auto found = in_hand.find(std::stoul(token));
            ASSERT_NE(found, in_hand.end()) << "no job in hand at " << token;
            const Job job = found->second;
            in_hand.erase(found);
            const std::string& path = paths[job.position];
            const FileIdentity file{2, std::hash<std::string>{}(path)};
            const FileIdentity folder{1,
                                      static_cast<std::uint64_t>(path[0] == 'l' ? 'a' : path[0])};
            const bool failed = token.back() == '!';
            if (job.kind == JobKind::kRead)
                return schedule.ReadEnded(job.position,
                                          failed ? AheadRead{path, {}, {}, {}}
                                                 : AheadRead{path, "20110914", file, folder});
            EXPECT_EQ(job.path, path);
            RenameJobResult result{path + "~", {}, {}, {}};
            if (job.kind == JobKind::kAlone) result.file = file, result.folder = folder;
            if (failed)
                result.error = std::make_exception_ptr(std::runtime_error("rename " + token));
            schedule.RenameEnded(job, result);
        };
        std::istringstream steps(script.steps);
        for (std::string step; std::getline(steps, step, ';');) {
            const auto arrow = step.find("->");
            std::istringstream ends(step.substr(0, arrow));
            for (std::string token; ends >> token;) end(token);
            std::string takes;
            for (Job job = schedule.Take(); job.kind != JobKind::kNone; job = schedule.Take()) {
                static const char* const kKinds[] = {"none", "read", "rename", "alone"};
                takes += (takes.empty() ? " " : ", ") +
                         std::string(kKinds[static_cast<int>(job.kind)]) + " " +
                         std::to_string(job.position);
                EXPECT_TRUE(in_hand.emplace(job.position, job).second) << takes << ": taken twice";
            }
            EXPECT_EQ(takes, step.substr(arrow + 2)) << "in step \"" << step << "\"";
            EXPECT_TRUE(in_hand.empty() || !schedule.Ended()) << "ended with jobs in hand";
        }
        ASSERT_TRUE(in_hand.empty()) << "the script leaves jobs in hand";
        EXPECT_TRUE(schedule.Ended());
        const PassEnd how = schedule.End();
        EXPECT_EQ("finished " + std::to_string(how.finished) + (how.stopped ? ", stopped" : "") +
                      (how.error ? ", error " + TextOf(how.error) : ""),
                  script.end);
    }
}

}  // namespace
}  // namespace tavrel
