#pragma once
// Helpers for the tests that put Tavrel under load, faults and bad input: trees
// of files whose contents say which file each one is, a check that every one of
// them is still there exactly once, a rival process that takes the names a pass
// is about to choose, and children killed at random moments.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/no_replace_rename.h"
#include "platform/posix/posix_file_system.h"
#include "test_support.h"

namespace tavrel::test {

// ---------------------------------------------------------------- trees of files

// One file a test made, with contents that no other file has.
struct Original {
    std::string directory;  // relative to the tree's root, "" for the root itself
    std::string name;
    std::string contents;
};

// Makes `count` files "IMG_<n>.jpg" (n with five digits, from 0) spread evenly
// over the folders d0, d1, ... below root, each last written at mtime_utc.
std::vector<Original> MakeOriginals(const std::string& root, int directories, int count,
                                    std::int64_t mtime_utc);

// Creates a file that must not exist yet (O_EXCL); false when the name is taken.
bool CreateExclusive(const std::string& path, const std::string& contents);

// The folders d0, d1, ... that MakeOriginals makes.
std::vector<std::string> OriginalFolders(int directories);

// The path below the root that a pass with this stamp wants for each original.
std::function<std::string(int)> WantedNames(const std::vector<Original>& originals,
                                            const std::string& stamp);

// The index n of a name that carries "IMG_<five digits>", or -1.
int OriginalIndex(std::string_view name);

// What lies below a folder, by path relative to it: a regular file's contents,
// "link:<target>", "fifo", "socket", "device" or "other". Directories are
// entered (links are not followed) and not listed themselves, unless they
// cannot be read. Works through descriptors, so paths longer than PATH_MAX are
// no obstacle.
std::map<std::string, std::string> Snapshot(const std::string& root);

// Removes a folder and everything below it, however deep.
void RemoveTree(const std::string& path);

struct TreeCheck {
    int old_names = 0;      // originals that kept their name
    int new_names = 0;      // originals under stamp + old name
    int tagged_names = 0;   // ... with a collision tag as well
    int link_doubles = 0;   // originals left under two names by a kill after link
    int window_losses = 0;  // rival files replaced in the window of the last step
    std::vector<std::string> faults;
};

// What a check lets pass that it would otherwise count as a fault: the two
// places where the fallback steps of the rename chain are not atomic. Neither
// loses a byte of the files being renamed.
struct Allowances {
    // An original under two names that are hard links of one file: a kill
    // between the link and the unlink of the second step.
    bool link_doubles = false;
    // A rival file whose name now holds an original: the last step (lstat, then
    // a plain rename) replaces a file created between those two calls.
    bool window_losses = false;
};

// Checks that every original is below root exactly once, in its own folder,
// with its contents, under its original name or under one of the stamps + that name
// (with or without a collision tag before the extension); that every file of
// `others` (path -> contents) is still there unchanged; and that nothing else is.
TreeCheck CheckEveryFileKept(const std::string& root, const std::vector<Original>& originals,
                             const std::vector<std::string>& stamps,
                             const std::map<std::string, std::string>& others,
                             Allowances allowed = {});

// The first few faults, one a line, for a failure message.
std::string FaultSummary(const TreeCheck& check);

// ---------------------------------------------------------------- the rival process

struct SquatterReport {
    std::map<std::string, std::string> live;  // path below root -> contents
    int events = 0;                           // new names it saw appear
    int squatted = 0;                         // names it took
    int refused = 0;                          // names it found taken when it tried
    int released = 0;                         // of its own files that it removed again
};

// A second process that watches the folders of a tree (inotify) while a pass
// renames in them. Each time a new name appears it learns how far the pass has
// come and creates files (O_EXCL, so it never replaces anything itself) under
// the names the pass will want for originals a little further on, and removes
// some of the ones it made for originals already passed. It removes a file only
// after moving it aside and finding its own contents there, so that it never
// removes a file of the pass that the last step of the chain put in its place.
class Squatter {
public:
    // wanted(n): the path below root that the pass will want for original n.
    Squatter(std::string root, std::vector<std::string> directories,
             std::function<std::string(int)> wanted, int count);
    ~Squatter();
    Squatter(const Squatter&) = delete;
    Squatter& operator=(const Squatter&) = delete;

    // Takes the wanted name of original n before the pass starts; these files
    // are never removed. mtime_utc should make the pass leave them alone.
    void TakeInAdvance(int n, std::int64_t mtime_utc);
    // Forks the watcher; returns once it watches every folder.
    void Start();
    // Stops the watcher (if it was started) and returns what the rival left behind.
    SquatterReport Stop();

private:
    std::string root_;
    std::vector<std::string> directories_;
    std::function<std::string(int)> wanted_;
    int count_;
    std::map<std::string, std::string> taken_in_advance_;
    pid_t pid_ = -1;
    int stop_fd_ = -1;
    std::string report_path_;
};

// ---------------------------------------------------------------- the rename chain

// The branches of the rename chain. The kernel's file systems take the first;
// the others can be forced on any file system by answering for the calls that a
// file system without them refuses.
enum class ChainBranch { kNoReplaceFlag, kLinkAndUnlink, kLstatAndRename };

struct ChainBranchCase {
    const char* label;
    ChainBranch branch;
};
extern const ChainBranchCase kChainBranches[3];

// The kernel's calls, less the ones the branch does without.
RenameSystemCalls CallsFor(ChainBranch branch);

// The real file system, with renames that take one branch of the chain.
class BranchFileSystem : public PosixFileSystem {
public:
    explicit BranchFileSystem(ChainBranch branch) : calls_(CallsFor(branch)) {}
    int RenameNoReplace(const std::string& from, const std::string& to) override;

private:
    RenameSystemCalls calls_;
};

// ---------------------------------------------------------------- crashes

// When a child is killed: after it has made a number of new names, seen as
// inotify events (a name created or moved in) in the watched folders. Counting
// what the child has visibly done, not time, lands every kill at the chosen
// point of its work however fast or busy the machine is.
struct KillPlan {
    std::vector<std::string> folders;  // watched; not their subfolders
    int fewest_names = 1;              // each kill comes after between these
    int most_names = 1;                // two numbers of new names, drawn at random
};

// What one round of RunAndKillAtProgress saw.
struct KillOutcome {
    bool killed = false;  // the child was still running when it was killed
    int names_seen = 0;   // new names seen before the kill (or the child's end)
};

// Runs body in a forked child and kills it with SIGKILL once `names` new names
// have appeared in the watched folders. A child that ends before that is not
// killed. If the kernel's event queue overflows, the count is lost and the
// child is killed at once.
KillOutcome RunAndKillAtProgress(const std::function<void()>& body,
                                 const std::vector<std::string>& folders, int names);

// Kills children until `kills_wanted` of them were killed with work done and
// work left (accepted(outcome) says which ones count), or until max_rounds
// rounds have run, each at a random number of names from the plan (the seed
// makes a run repeatable), and calls check(round, outcome) after each. The body
// runs in the child: it may exec a program or call Tavrel's routines directly.
// Returns the number of rounds run.
int CrashUntilKilled(int kills_wanted, int max_rounds, const KillPlan& plan, std::uint32_t seed,
                     const std::function<void(int round)>& body,
                     const std::function<bool(int round, const KillOutcome& outcome)>& check);

// True for a whole settings file as Tavrel writes it: "StampType:<n>" CR LF
// with n from -1 to 2. Whatever writes the file may be killed at any moment
// and must leave such a text behind: the old one or the new one.
bool IsWholeSettingsFile(const std::string& text);

// ---------------------------------------------------------------- running programs

struct GuardOptions {
    bool without_override = false;  // drop root's power to read and write anything
    // A hang ends with exit code 124; the bound leaves room for a sanitizer
    // build on a busy machine.
    int time_limit_seconds = 300;
    std::string working_directory;
    std::vector<std::string> environment = {"TZ=UTC", "LC_ALL=C", "PATH=/usr/bin:/bin"};
};

// Runs a program under a time limit (and, as asked, without the capabilities
// that let root ignore permission bits), with exactly the given environment.
RunResult RunGuarded(const std::vector<std::string>& argv, const GuardOptions& options = {});

// Lowers this process's effective capabilities so that permission bits apply
// to it although it runs as root. For forked children only: it cannot be undone.
void DropFileAccessOverride();

}  // namespace tavrel::test
