// End-to-end tests of the journal of rename runs on the command line: a run,
// then `tavrel --undo`, with the journal folder of each test's own.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace tavrel::test {
namespace {

using Strings = std::vector<std::string>;

const std::int64_t kWritten = UtcSeconds(2011, 9, 15, 12, 34, 57);

// Runs the program with the journals in `state`; `drop_override` takes root's
// right to write anywhere away.
RunResult RunWithState(const TempDir& state, const Strings& arguments,
                       const std::string& working_folder = "", bool drop_override = false) {
    Strings argv;
    if (drop_override && ::geteuid() == 0)
        argv = {"/usr/bin/setpriv", "--inh-caps=-dac_override,-dac_read_search",
                "--bounding-set=-dac_override,-dac_read_search"};
    argv.push_back(TAVREL_BINARY);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return test::Run(argv,
                     {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin", "XDG_STATE_HOME=" + state.path()},
                     working_folder);
}

// Every file below a folder with its contents.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> tree;
    for (const auto& path : FilesBelow(root)) tree[path] = ReadFile(root + "/" + path);
    return tree;
}

TEST(JournalCommandLine, HostileNamesComeBackAfterUndo) {
    TempDir work, state;
    // 2,000 files (several batches) in 4 folders given as relative paths; each
    // holds its own number, so a file replaced by another shows.
    const std::string hostile[] = {"-n", "--", "line\nbreak", "\xff\xfe", "tab\tx", " lead", "é"};
    for (int i = 0; i < 2000; ++i) {
        const std::string folder = work / ("d" + std::to_string(i % 4));
        if (i < 4) MakeDirectory(folder);
        MakeFile(folder + "/" + hostile[i % 7] + std::to_string(i) + ".jpg", kWritten,
                 std::to_string(i));
    }
    const auto before = Tree(work.path());
    ASSERT_EQ(RunWithState(state, {"d0", "d1", "d2", "d3"}, work.path()).exit_code, 0);
    ASSERT_NE(Tree(work.path()), before);

    // From another working folder: the journal holds whole paths.
    const RunResult undo = RunWithState(state, {"--undo"}, state.path());
    EXPECT_EQ(undo.exit_code, 0) << undo.err;
    EXPECT_EQ(undo.out.rfind("2000 files of the rename run of ", 0), 0u) << undo.out;
    EXPECT_EQ(Tree(work.path()), before);
    // The run is marked undone: nothing is left to undo.
    EXPECT_EQ(RunWithState(state, {"--undo"}).exit_code, 1);
}

// A name taken since the run and a file renamed again (or deleted: the same
// check) are left and reported; every other rename is undone.
TEST(JournalCommandLine, TakenAndChangedNamesAreLeftAndReported) {
    TempDir work, state;
    for (const char* name : {"a.jpg", "b.jpg", "d.jpg"}) MakeFile(work / name, kWritten);
    ASSERT_EQ(RunWithState(state, {work.path()}).exit_code, 0);
    MakeFile(work / "a.jpg", kWritten, "another file");
    std::filesystem::rename(work / "20110915_b.jpg", work / "b-again.jpg");

    const RunResult undo = RunWithState(state, {"--undo"});
    EXPECT_EQ(undo.exit_code, 1);
    for (const std::string& left :
         {work / "20110915_a.jpg: left as it is: its old name " + work / "a.jpg is taken\n",
          work / "20110915_b.jpg: left as it is: the file is gone or was renamed again\n"})
        EXPECT_NE(undo.err.find("tavrel: " + left), std::string::npos) << undo.err;
    EXPECT_EQ(Names(work.path()), (Strings{"20110915_a.jpg", "a.jpg", "b-again.jpg", "d.jpg"}));
}

TEST(JournalCommandLine, AReadOnlyJournalFolderSaysOnceThatTheRunCannotBeUndone) {
    TempDir work, state;
    MakeDirectory(state / "tavrel");
    ::chmod((state / "tavrel").c_str(), 0500);
    ::chmod(work.path().c_str(), 0777);
    for (int i = 0; i < 600; ++i) MakeFile(work / ("f" + std::to_string(i)), kWritten);
    const RunResult run = RunWithState(state, {work.path()}, "", true);
    EXPECT_EQ(run.exit_code, 0);
    // One line, naming the folder.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(state / "tavrel."), std::string::npos) << run.err;
    // Every file renamed: an old name would sort last.
    EXPECT_EQ(Names(work.path()).back(), "20110915_f99");
    ::chmod((state / "tavrel").c_str(), 0700);
}

}  // namespace
}  // namespace tavrel::test
