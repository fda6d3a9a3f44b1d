// The pass that reads ahead against the pass in list order: random trees run
// through both on copies must come out name for name alike.

#include "pass/stamp_pass.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "pass/undo_pass.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "stamp/date_conversion_error.h"
#include "test_support.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using test::MakeDirectory;
using test::MakeFile;
using test::TempDir;
using test::UtcSeconds;

// A random tree below root and the list of paths (relative to root) a pass
// gets: collisions, names stamped already, directories and links to
// directories named like targets, hard and symbolic links to files listed
// too, paths listed twice or through a second path to their folder, and now
// and then a file that cannot be stamped, a missing path or a directory.
// The same seed gives the same tree below any root. Without `aliases`, no
// symbolic link leads to a file or folder of the tree under a second path.
std::vector<std::string> MakeRandomTree(const std::string& root, unsigned seed,
                                        bool aliases = true) {
    std::mt19937 random(seed);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto pick = [&](int below) { return static_cast<int>(random() % below); };
    const std::int64_t times[] = {UtcSeconds(2011, 9, 14, 10), UtcSeconds(2011, 9, 15, 10)};
    const std::int64_t too_old = UtcSeconds(1975, 1, 1);
    const int folders = 1 + pick(4);
    std::vector<std::vector<std::string>> listed(folders);
    for (int f = 0; f < folders; ++f) {
        const std::string folder = "f" + std::to_string(f);
        MakeDirectory(root + "/" + folder);
        const int files = 2 + pick(10);
        auto add = [&](const std::string& name) { listed[f].push_back(folder + "/" + name); };
        for (int i = 0; i < files; ++i) {
            const std::string name = "IMG_" + std::to_string(i) + ".jpg";
            MakeFile(root + "/" + folder + "/" + name, times[pick(2)], folder + "/" + name);
            add(name);
        }
        const int extras = pick(8);
        for (int e = 0; e < extras; ++e) {
            const int i = pick(files + 2);
            const std::string day = pick(2) ? "20110914_" : "20110915_";
            const std::string target = day + "IMG_" + std::to_string(i) + ".jpg";
            const std::string at = root + "/" + folder + "/";
            if (fs::exists(fs::symlink_status(at + target))) continue;
            switch (pick(6)) {
                case 0:  // stamped already, with the file's own day or another
                    MakeFile(at + target, times[pick(2)], folder + "/" + target);
                    add(target);
                    break;
                case 1:
                    MakeDirectory(at + target);
                    break;
                case 2:
                    fs::create_directory_symlink(".", at + target);
                    break;
                case 3: {  // a hard link, in this folder or the first
                    const std::string original = at + "IMG_0.jpg";
                    const std::string other = chance(50) ? at : root + "/f0/";
                    const std::string name = "H" + std::to_string(e) + "_" + folder + ".jpg";
                    if (fs::exists(original) && !fs::exists(other + name)) {
                        fs::create_hard_link(original, other + name);
                        listed[other == at ? f : 0].push_back(
                            (other == at ? folder : std::string("f0")) + "/" + name);
                    }
                    break;
                }
                case 4: {  // a link to a file of this folder or of the first
                    if (!aliases) break;
                    const std::string name = (chance(50) ? "A" : "Z") + std::to_string(e) + ".jpg";
                    const std::string to = chance(50) ? "IMG_1.jpg" : "../f0/IMG_0.jpg";
                    fs::create_symlink(to, at + name);
                    add(name);
                    break;
                }
                case 5:  // a file no stamp can be made for, rarely
                    if (chance(25)) {
                        MakeFile(at + "OLD.jpg", too_old, folder + "/OLD.jpg");
                        add("OLD.jpg");
                    }
                    break;
            }
        }
        std::sort(listed[f].begin(), listed[f].end());
    }
    std::vector<std::string> list;
    for (const auto& folder : listed) list.insert(list.end(), folder.begin(), folder.end());
    // Some paths twice, some through a second path to the first folder.
    if (chance(25) && aliases) {
        fs::create_directory_symlink("f0", root + "/alias");
        for (int n = 1 + pick(3); n > 0; --n)
            list.push_back("alias/" + fs::path(list[pick(list.size())]).filename().string());
    }
    if (chance(30))
        for (int n = 1 + pick(2); n > 0; --n) list.push_back(list[pick(list.size())]);
    if (chance(15)) list.insert(list.begin() + pick(list.size() + 1), "f0/MISSING.jpg");
    if (chance(5)) list.push_back("f0");
    // Folders interleaved here and there.
    for (int n = pick(6); n > 0; --n) std::swap(list[pick(list.size())], list[pick(list.size())]);
    return list;
}

// A collision tag's random symbols replaced by "#".
std::string WithoutTagSymbols(const std::string& text) {
    static const std::regex tag(R"(\.[0-9A-Za-z]{6}(\.jpg)?$)");
    return std::regex_replace(text, tag, ".######$1");
}

// Every entry below root: its path (tags blanked), kind and contents or target.
std::multiset<std::string> TreeOf(const std::string& root) {
    std::multiset<std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string path = WithoutTagSymbols(fs::relative(it->path(), root).string());
        if (it->is_symlink())
            tree.insert(path + " -> " + fs::read_symlink(it->path()).string());
        else if (it->is_directory())
            tree.insert(path + "/");
        else
            tree.insert(path + " = " + test::ReadFile(it->path()));
    }
    return tree;
}

// What a pass did, relative to its root.
struct PassRecord {
    PassEnd end;
    std::vector<std::string> list;  // the list afterwards, tags blanked
    int renames_told = 0;
    std::size_t last_progress = 0;
    bool progress_in_order = true;
    bool each_position_once = true;
};

// The real file system with renames a little slow, as on a share, so that the
// reads ahead run well before the renames that might change what they read.
// Where `slow` holds for a path, the file system says it is slow and safe
// from several threads there.
class SlowRenames : public PosixFileSystem {
public:
    std::function<bool(const std::string& path)> slow;

    int RenameNoReplace(const std::string& from, const std::string& to) override {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        return PosixFileSystem::RenameNoReplace(from, to);
    }
    bool IsSlowAndThreadSafe(const std::string& path) override { return slow && slow(path); }
};

using PassFunction =
    std::function<PassEnd(const PassPaths&, const StampContext&, const PassEvents&)>;

// Runs a pass over the paths below root (as they are, when root is empty).
PassRecord RunPass(const std::string& root, std::vector<std::string> relative,
                   const PassFunction& pass,
                   std::function<bool(const std::string& path)> slow = {}) {
    std::vector<std::string> paths;
    for (const auto& path : relative) paths.push_back(root.empty() ? path : root + "/" + path);
    SlowRenames file_system;
    file_system.slow = std::move(slow);
    MonotonicClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const StampContext context{file_system, formats, clock};
    PassRecord record;
    std::vector<std::string> after = paths;
    std::vector<bool> told(paths.size());
    PassEvents events;
    events.renamed = [&](std::size_t position, const std::string& before, const std::string& now) {
        ++record.renames_told;
        if (told[position] || before != paths[position]) record.each_position_once = false;
        told[position] = true;
        after[position] = now;
    };
    events.progress = [&](std::size_t finished) {
        if (finished <= record.last_progress) record.progress_in_order = false;
        record.last_progress = finished;
    };
    const PassPaths pass_paths{paths.size(),
                               [&](std::size_t i) -> const std::string& { return paths[i]; }};
    record.end = pass(pass_paths, context, events);
    for (const auto& path : after)
        record.list.push_back(WithoutTagSymbols(path.substr(root.size())));
    return record;
}

bool IsDateConversionError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const DateConversionError& e) {
        return e.what() == std::string(kDateConversionMessage);
    } catch (...) {
        return false;
    }
}

// One seed's tree made twice below `made`, once for each pass, and renamed
// by each pass through `seen` (the same folders as the passes reach them: a
// share's path for a folder made on its server). Returns whether the pass in
// order stopped early.
bool ExpectPassesAlike(const std::string& made, const std::string& seen, unsigned seed,
                       bool aliases) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    fs::create_directories(made);
    MakeDirectory(made + "/in-order");
    MakeDirectory(made + "/ahead");
    const auto list = MakeRandomTree(made + "/in-order", seed, aliases);
    EXPECT_EQ(MakeRandomTree(made + "/ahead", seed, aliases), list);
    ReadAhead how;
    how.threads = 1 + seed % 8;
    how.across_folders = 1 + (seed * 7) % 40;
    how.in_one_folder = 1 + seed % 5;
    const int stamp_type = 1 + seed % 2;
    const PassRecord expected =
        RunPass(seen + "/in-order", list,
                [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
                    return RunStampPassInOrder(p, stamp_type, c, e);
                });
    const PassRecord got = RunPass(
        seen + "/ahead", list, [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
            return RunStampPassAhead(p, stamp_type, c, e, how);
        });
    EXPECT_EQ(got.end.finished, expected.end.finished);
    EXPECT_FALSE(got.end.stopped);
    EXPECT_EQ(static_cast<bool>(got.end.error), static_cast<bool>(expected.end.error));
    if (expected.end.error && got.end.error) {
        EXPECT_TRUE(IsDateConversionError(got.end.error));
    }
    EXPECT_EQ(got.list, expected.list);
    EXPECT_EQ(got.renames_told, expected.renames_told);
    EXPECT_TRUE(got.each_position_once);
    EXPECT_TRUE(got.progress_in_order);
    EXPECT_EQ(got.last_progress, expected.last_progress);
    EXPECT_EQ(TreeOf(made + "/ahead"), TreeOf(made + "/in-order"));
    return static_cast<bool>(expected.end.error);
}

TEST(StampPassAhead, GivesTheNamesOfThePassInOrderOnRandomTrees) {
    int stopped_early = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        TempDir work;
        stopped_early += ExpectPassesAlike(work.path(), work.path(), seed, true);
    }
    // The trees exercise both ends: passes that stop at a file, and passes that
    // run to the end.
    EXPECT_GT(stopped_early, 20);
    EXPECT_LT(stopped_early, 180);
}

// Bare names and relative ones, read in the working folder, in lists that run
// from folders whose file system is slow and safe from threads to others and back, give
// the names of the pass in order.
TEST(StampPass, BareNamesAndMixedListsAsInOrder) {
    const fs::path start = fs::current_path();
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempDir work;
        const std::string in_order = work / "in-order", ahead = work / "ahead";
        MakeDirectory(in_order);
        MakeDirectory(ahead);
        const auto list = MakeRandomTree(in_order, seed);
        MakeRandomTree(ahead, seed);
        // Given from within f0: its files by bare name, the others relative.
        std::vector<std::string> given;
        for (const auto& path : list)
            given.push_back(path.rfind("f0/", 0) == 0 ? path.substr(3) : "../" + path);
        const auto slow = [seed](const std::string& path) {
            return path.find("f1/") != std::string::npos || path.find("f3/") != std::string::npos ||
                   (seed % 2 == 1 && path.find('/') == std::string::npos);
        };
        const int stamp_type = 1 + seed % 2;
        fs::current_path(in_order + "/f0");
        const PassRecord expected =
            RunPass("", given, [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
                return RunStampPassInOrder(p, stamp_type, c, e);
            });
        fs::current_path(ahead + "/f0");
        const PassRecord got = RunPass(
            "", given,
            [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
                return RunStampPass(p, stamp_type, c, e);
            },
            slow);
        fs::current_path(start);
        EXPECT_EQ(got.end.finished, expected.end.finished);
        EXPECT_EQ(static_cast<bool>(got.end.error), static_cast<bool>(expected.end.error));
        EXPECT_EQ(got.list, expected.list);
        EXPECT_EQ(got.renames_told, expected.renames_told);
        EXPECT_TRUE(got.progress_in_order);
        EXPECT_EQ(TreeOf(ahead), TreeOf(in_order));
    }
}

// The same on a share whose folder on the server and path on this machine
// TAVREL_SHARE_SERVER and TAVREL_SHARE_PATH name (the share test sets them),
// with trees that reach no file or folder under two paths: where identities
// are made up, nothing can tell such paths apart.
TEST(StampPassAhead, GivesTheNamesOfThePassInOrderOnAShare) {
    const char* server = std::getenv("TAVREL_SHARE_SERVER");
    const char* share = std::getenv("TAVREL_SHARE_PATH");
    if (!server || !share) GTEST_SKIP() << "no share given";
    for (unsigned seed = 1; seed <= 30; ++seed) {
        const std::string folder = "/seed" + std::to_string(seed);
        ExpectPassesAlike(server + folder, share + folder, seed, false);
    }
}

// Files vanish and names appear while the pass runs: whatever it meets, every
// file left is there once, under its name or its stamped name, the others'
// files are untouched, and no file is renamed twice.
TEST(StampPassAhead, LosesNothingWhileOthersChangeTheTree) {
    TempDir work;
    constexpr int kFolders = 4, kFiles = 300;
    std::vector<std::string> paths;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = work / ("f" + std::to_string(f));
        MakeDirectory(folder);
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "IMG_" + std::to_string(i) + ".jpg";
            MakeFile(folder + "/" + name, UtcSeconds(2011, 9, 14, 10), "photo " + folder + name);
            paths.push_back(folder + "/" + name);
        }
    }
    std::atomic<bool> done{false};
    std::set<std::string> removed, made;
    std::thread rival([&] {
        std::mt19937 random(7);
        while (!done.load()) {
            const std::string& victim = paths[random() % paths.size()];
            if (random() % 2 && ::unlink(victim.c_str()) == 0) removed.insert(victim);
            const std::string folder = victim.substr(0, victim.rfind('/') + 1);
            const std::string taken =
                folder + "20110914_IMG_" + std::to_string(random() % kFiles) + ".jpg";
            // Never over an existing file: the rival is careful too.
            const int fd = ::open(taken.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) {
                const bool written = ::write(fd, "rival", 5) == 5;
                ::close(fd);
                if (written) made.insert(taken);
            }
            std::this_thread::yield();
        }
    });
    PosixFileSystem file_system;
    MonotonicClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    std::map<std::size_t, int> renames;
    PassEvents events;
    events.renamed = [&](std::size_t position, const std::string&, const std::string&) {
        ++renames[position];
    };
    const PassPaths pass_paths{paths.size(),
                               [&](std::size_t i) -> const std::string& { return paths[i]; }};
    const PassEnd end = RunStampPassAhead(pass_paths, 1, {file_system, formats, clock}, events,
                                          ReadAhead{4, 8, 32, {}});
    done = true;
    rival.join();
    for (const auto& [position, count] : renames) {
        EXPECT_EQ(count, 1) << position;
        EXPECT_LT(position, end.finished);
    }
    // Every photo is there once (unless the rival removed it before the pass
    // renamed it), never stamped twice; every rival file is as it was.
    std::map<std::string, int> photos;
    int rival_files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(work.path())) {
        if (!entry.is_regular_file()) continue;
        const std::string contents = test::ReadFile(entry.path());
        const std::string name = entry.path().filename().string();
        if (contents == "rival") {
            ++rival_files;
            continue;
        }
        ++photos[contents];
        EXPECT_EQ(name.find("20110914_20110914_"), std::string::npos) << name;
    }
    EXPECT_EQ(rival_files, static_cast<int>(made.size()));
    for (const auto& path : paths) {
        const std::string folder = path.substr(0, path.rfind('/') + 1);
        const std::string contents =
            "photo " + folder.substr(0, folder.size() - 1) + path.substr(folder.size());
        const int count = photos.count(contents) ? photos[contents] : 0;
        if (removed.count(path))
            EXPECT_LE(count, 1) << path;
        else
            EXPECT_EQ(count, 1) << path;
    }
}

// Folders of photos below root, the list of their paths folder by folder.
std::vector<std::string> MakeFolders(const TempDir& root, int folders, int files) {
    std::vector<std::string> paths;
    for (int f = 0; f < folders; ++f) {
        MakeDirectory(root / ("f" + std::to_string(f)));
        for (int i = 0; i < files; ++i) {
            paths.push_back(root /
                            ("f" + std::to_string(f) + "/IMG_" + std::to_string(i) + ".jpg"));
            MakeFile(paths.back(), UtcSeconds(2011, 9, 14, 10));
        }
    }
    return paths;
}

// Renames that call a hook as each begins and count those that end after
// `ended_after` was set.
class WatchedRenames : public PosixFileSystem {
public:
    std::function<void(const std::string& from)> on_rename;
    std::atomic<bool>* ended_after = nullptr;
    std::atomic<int> renames{0}, ended_late{0};

    int RenameNoReplace(const std::string& from, const std::string& to) override {
        ++renames;
        if (on_rename) on_rename(from);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        const int result = PosixFileSystem::RenameNoReplace(from, to);
        if (ended_after && ended_after->load()) ++ended_late;
        return result;
    }
};

// The files the pass told as renamed are exactly those renamed on the disk,
// and every position before `finished` was renamed.
void ExpectToldAsOnDisk(const std::vector<std::string>& paths, const std::set<std::size_t>& told,
                        const PassEnd& end) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(!test::Exists(paths[i]), told.count(i) == 1) << paths[i];
        if (i < end.finished) {
            EXPECT_EQ(told.count(i), 1u) << paths[i];
        }
    }
}

// Stopped while renames in two folders are under way, the pass starts no
// rename any more: only those in hand end, one a thread at most. The files
// renamed need not be one run from the start, but each was told.
TEST(StampPassAhead, StopEndsTheRenamesInHandAndStartsNoOther) {
    TempDir work;
    const auto paths = MakeFolders(work, 2, 150);
    WatchedRenames file_system;
    MonotonicClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    std::atomic<bool> stop{false};
    std::atomic<int> second_folder{0};
    file_system.ended_after = &stop;
    file_system.on_rename = [&](const std::string& from) {
        if (from.find("/f1/") != std::string::npos && ++second_folder == 5) stop = true;
    };
    std::set<std::size_t> told;
    PassEvents events;
    events.stop = &stop;
    events.renamed = [&](std::size_t position, const std::string&, const std::string&) {
        told.insert(position);
    };
    const PassPaths pass_paths{paths.size(),
                               [&](std::size_t i) -> const std::string& { return paths[i]; }};
    constexpr unsigned kThreads = 4;
    const PassEnd end = RunStampPassAhead(pass_paths, 1, {file_system, formats, clock}, events,
                                          ReadAhead{kThreads, 16, 1024, {}});
    ASSERT_TRUE(stop) << "the second folder's renames never began";
    EXPECT_TRUE(end.stopped);
    EXPECT_FALSE(end.error);
    EXPECT_LE(file_system.ended_late.load(), static_cast<int>(kThreads));
    EXPECT_LT(told.size(), paths.size());
    ExpectToldAsOnDisk(paths, told, end);
}

// An exception from a callback ends either pass as its error, after the
// renames in hand: the program goes on, and every file renamed was told
// (bar the one whose telling raised it).
TEST(StampPass, AnExceptionFromACallbackEndsThePassAsItsError) {
    struct Case {
        const char* name;
        bool ahead;
        bool from_progress;
    };
    const Case cases[] = {{"in order, renamed", false, false},
                          {"in order, progress", false, true},
                          {"ahead, renamed", true, false},
                          {"ahead, progress", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        const auto paths = MakeFolders(work, 3, 40);
        WatchedRenames file_system;
        MonotonicClock clock;
        const RegionalFormats formats = RegionalFormats::Reference();
        std::atomic<bool> thrown{false};
        file_system.ended_after = &thrown;
        std::set<std::size_t> told;
        std::size_t thrown_at = 0;
        PassEvents events;
        events.renamed = [&](std::size_t position, const std::string&, const std::string&) {
            if (!c.from_progress && !thrown && told.size() == 30) {
                thrown = true;
                thrown_at = position;
                throw std::runtime_error("callback");
            }
            told.insert(position);
        };
        events.progress = [&](std::size_t finished) {
            if (c.from_progress && finished >= 30 && !thrown) {
                thrown = true;
                throw std::runtime_error("callback");
            }
        };
        const PassPaths pass_paths{paths.size(),
                                   [&](std::size_t i) -> const std::string& { return paths[i]; }};
        const StampContext context{file_system, formats, clock};
        const PassEnd end =
            c.ahead ? RunStampPassAhead(pass_paths, 1, context, events, ReadAhead{4, 8, 1024, {}})
                    : RunStampPassInOrder(pass_paths, 1, context, events);
        ASSERT_TRUE(end.error);
        EXPECT_THROW(std::rethrow_exception(end.error), std::runtime_error);
        EXPECT_FALSE(end.stopped);
        EXPECT_LE(file_system.ended_late.load(), 4);
        if (!c.from_progress) told.insert(thrown_at);  // renamed, its telling raised
        ExpectToldAsOnDisk(paths, told, end);
    }
}

// Threads the system will not give leave the work to fewer, down to the
// calling thread alone: every file is renamed as the pass in order names it.
TEST(StampPassAhead, RunsOnTheThreadsItCanGet) {
    for (const int granted : {0, 1, 3}) {
        SCOPED_TRACE("threads granted: " + std::to_string(granted));
        TempDir work;
        const std::string in_order = work / "in-order", ahead = work / "ahead";
        MakeDirectory(in_order);
        MakeDirectory(ahead);
        const auto list = MakeRandomTree(in_order, 11);
        MakeRandomTree(ahead, 11);
        std::atomic<int> asked{0};
        ReadAhead how{8, 4, 64, {}};
        how.start_thread = [&](std::function<void()> body) {
            if (++asked > granted)
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::thread(std::move(body));
        };
        const PassRecord expected = RunPass(
            in_order, list, [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
                return RunStampPassInOrder(p, 1, c, e);
            });
        const PassRecord got = RunPass(
            ahead, list, [&](const PassPaths& p, const StampContext& c, const PassEvents& e) {
                return RunStampPassAhead(p, 1, c, e, how);
            });
        EXPECT_EQ(asked.load(), granted + 1);
        EXPECT_EQ(got.end.finished, expected.end.finished);
        EXPECT_EQ(static_cast<bool>(got.end.error), static_cast<bool>(expected.end.error));
        EXPECT_EQ(got.list, expected.list);
        EXPECT_EQ(TreeOf(ahead), TreeOf(in_order));
    }
}

// Undo names the files back last first, keeps those whose old name is taken,
// and stops before the next file when asked.
TEST(UndoPass, NamesBackLastFirstAndStopsWhenAsked) {
    TempDir work;
    MakeFile(work / "20110914_a.jpg", 0);
    MakeFile(work / "20110914_b.jpg", 0);
    MakeFile(work / "20110914_c.jpg", 0);
    MakeFile(work / "b.jpg", 0, "taken");
    const std::vector<std::string> before{work / "a.jpg", work / "b.jpg", work / "c.jpg"};
    const std::vector<std::string> after{work / "20110914_a.jpg", work / "20110914_b.jpg",
                                         work / "20110914_c.jpg"};
    const UndoPaths renames{3, [&](std::size_t i) -> const std::string& { return before[i]; },
                            [&](std::size_t i) -> const std::string& { return after[i]; }};
    PosixFileSystem file_system;
    std::vector<std::size_t> told;
    std::atomic<bool> stop{false};
    PassEvents events;
    events.stop = &stop;
    events.renamed = [&](std::size_t i, const std::string& from, const std::string& to) {
        EXPECT_EQ(from, after[i]);
        EXPECT_EQ(to, before[i]);
        told.push_back(i);
    };
    events.progress = [&](std::size_t tried) {
        if (tried == 2) stop = true;
    };
    const UndoEnd end = RunUndoPass(renames, file_system, events);
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(end.tried, 2u);
    EXPECT_EQ(end.named_back, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(told, (std::vector<std::size_t>{2}));
    EXPECT_EQ(test::Names(work.path()),
              (std::vector<std::string>{"20110914_a.jpg", "20110914_b.jpg", "b.jpg", "c.jpg"}));
}

}  // namespace
}  // namespace tavrel
