#include "robustness_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace tavrel::test {
namespace {

std::string Join(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + "/" + name;
}

std::string ReadAllAt(int directory_fd, const char* name) {
    std::string contents;
    const int fd = ::openat(directory_fd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return "unreadable";
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        contents.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return contents;
}

// Takes ownership of directory_fd.
void SnapshotAt(int directory_fd, const std::string& prefix,
                std::map<std::string, std::string>& out) {
    DIR* dir = ::fdopendir(directory_fd);
    if (dir == nullptr) {
        ::close(directory_fd);
        out[prefix] = "unreadable directory";
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = prefix + name;
        struct stat st;
        if (::fstatat(directory_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            out[path] = "vanished";
        } else if (S_ISDIR(st.st_mode)) {
            const int fd = ::openat(directory_fd, entry->d_name,
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0)
                out[path] = "unreadable directory";
            else
                SnapshotAt(fd, path + "/", out);
        } else if (S_ISREG(st.st_mode)) {
            out[path] = ReadAllAt(directory_fd, entry->d_name);
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlinkat(directory_fd, entry->d_name, target, sizeof target);
            out[path] = "link:" + std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
        } else {
            out[path] = S_ISFIFO(st.st_mode)                         ? "fifo"
                        : S_ISSOCK(st.st_mode)                       ? "socket"
                        : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "device"
                                                                     : "other";
        }
    }
    ::closedir(dir);
}

// Takes ownership of directory_fd.
void RemoveBelowAt(int directory_fd) {
    DIR* dir = ::fdopendir(directory_fd);
    if (dir == nullptr) {
        ::close(directory_fd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    for (const auto& name : names) {
        struct stat st;
        if (::fstatat(directory_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(st.st_mode)) {
            ::fchmodat(directory_fd, name.c_str(), 0700, 0);
            const int fd =
                ::openat(directory_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (fd >= 0) RemoveBelowAt(fd);
            ::unlinkat(directory_fd, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(directory_fd, name.c_str(), 0);
        }
    }
    ::closedir(dir);
}

bool HasCollisionTag(std::string_view rest, std::string_view base, std::string_view extension) {
    // base + "." + six letters or digits + extension
    if (rest.size() != base.size() + 7 + extension.size()) return false;
    if (rest.substr(0, base.size()) != base || rest[base.size()] != '.') return false;
    if (rest.substr(base.size() + 7) != extension) return false;
    for (const char c : rest.substr(base.size() + 1, 6))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// Two paths that are hard links of one file.
bool AreLinksOfOneFile(const std::string& root, const std::vector<std::string>& paths) {
    if (paths.size() != 2) return false;
    struct stat a, b;
    return ::lstat((root + "/" + paths[0]).c_str(), &a) == 0 &&
           ::lstat((root + "/" + paths[1]).c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

}  // namespace

// ---------------------------------------------------------------- trees of files

std::vector<Original> MakeOriginals(const std::string& root, int directories, int count,
                                    std::int64_t mtime_utc) {
    MakeDirectory(root);
    std::vector<Original> originals;
    originals.reserve(static_cast<std::size_t>(count));
    const int per_directory = (count + directories - 1) / directories;
    for (int d = 0; d < directories; ++d) MakeDirectory(root + "/d" + std::to_string(d));
    const timespec times[2] = {{static_cast<time_t>(mtime_utc), 0},
                               {static_cast<time_t>(mtime_utc), 0}};
    for (int n = 0; n < count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", n);
        Original original{"d" + std::to_string(n / per_directory), name,
                          "original " + std::to_string(n) + "\n"};
        const std::string path = root + "/" + Join(original.directory, original.name);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) throw std::runtime_error("cannot create " + path);
        const bool ok = ::write(fd, original.contents.data(), original.contents.size()) ==
                            static_cast<ssize_t>(original.contents.size()) &&
                        ::futimens(fd, times) == 0;
        ::close(fd);
        if (!ok) throw std::runtime_error("cannot write " + path);
        originals.push_back(std::move(original));
    }
    return originals;
}

bool CreateExclusive(const std::string& path, const std::string& contents) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written =
        ::write(fd, contents.data(), contents.size()) == static_cast<ssize_t>(contents.size());
    ::close(fd);
    if (!written) throw std::runtime_error("cannot write " + path);
    return true;
}

std::vector<std::string> OriginalFolders(int directories) {
    std::vector<std::string> folders;
    for (int d = 0; d < directories; ++d) folders.push_back("d" + std::to_string(d));
    return folders;
}

std::function<std::string(int)> WantedNames(const std::vector<Original>& originals,
                                            const std::string& stamp) {
    return [originals, stamp](int n) {
        const Original& original = originals[static_cast<std::size_t>(n)];
        return Join(original.directory, stamp + original.name);
    };
}

int OriginalIndex(std::string_view name) {
    const auto at = name.find("IMG_");
    if (at == std::string_view::npos || at + 9 > name.size()) return -1;
    int n = 0;
    for (const char c : name.substr(at + 4, 5)) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) SnapshotAt(fd, "", out);
    return out;
}

void RemoveTree(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) RemoveBelowAt(fd);
    ::rmdir(path.c_str());
}

TreeCheck CheckEveryFileKept(const std::string& root, const std::vector<Original>& originals,
                             const std::vector<std::string>& stamps,
                             const std::map<std::string, std::string>& others, Allowances allowed) {
    TreeCheck check;
    const auto snapshot = Snapshot(root);
    std::unordered_map<std::string, std::vector<std::string>> paths_of;  // contents -> paths
    for (const auto& [path, contents] : snapshot) paths_of[contents].push_back(path);
    std::set<std::string> accounted;

    for (const auto& original : originals) {
        const std::string old_path = Join(original.directory, original.name);
        const auto found = paths_of.find(original.contents);
        if (found == paths_of.end()) {
            check.faults.push_back("lost: " + old_path);
            continue;
        }
        if (found->second.size() != 1) {
            if (allowed.link_doubles && AreLinksOfOneFile(root, found->second)) {
                ++check.link_doubles;
                for (const auto& path : found->second) accounted.insert(path);
            } else {
                check.faults.push_back("more than once: " + old_path);
            }
            continue;
        }
        const std::string& path = found->second.front();
        accounted.insert(path);
        const auto slash = path.find_last_of('/');
        const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (directory != original.directory) {
            check.faults.push_back("moved to another folder: " + old_path + " -> " + path);
            continue;
        }
        if (name == original.name) {
            ++check.old_names;
            continue;
        }
        const auto dot = original.name.find_last_of('.');
        const std::string base = original.name.substr(0, dot);
        const std::string extension = dot == std::string::npos ? "" : original.name.substr(dot);
        bool known = false;
        for (const auto& stamp : stamps) {
            if (name.compare(0, stamp.size(), stamp) != 0) continue;
            const std::string_view rest = std::string_view(name).substr(stamp.size());
            if (rest == original.name) {
                ++check.new_names;
                known = true;
            } else if (HasCollisionTag(rest, base, extension)) {
                ++check.tagged_names;
                known = true;
            }
            if (known) break;
        }
        if (!known) check.faults.push_back("unexpected name: " + old_path + " -> " + path);
    }

    std::set<std::string> original_contents;
    for (const auto& original : originals) original_contents.insert(original.contents);
    for (const auto& [path, contents] : others) {
        const auto now = snapshot.find(path);
        if (now != snapshot.end() && now->second == contents) {
            accounted.insert(path);
        } else if (allowed.window_losses && now != snapshot.end() &&
                   original_contents.count(now->second) != 0) {
            ++check.window_losses;
        } else {
            check.faults.push_back("rival file replaced or lost: " + path);
        }
    }
    for (const auto& [path, contents] : snapshot)
        if (accounted.count(path) == 0 && original_contents.count(contents) == 0)
            check.faults.push_back("unexpected file: " + path);
    return check;
}

std::string FaultSummary(const TreeCheck& check) {
    std::string text = std::to_string(check.faults.size()) + " faults";
    for (std::size_t i = 0; i < check.faults.size() && i < 10; ++i)
        text += "\n  " + check.faults[i];
    return text;
}

// ---------------------------------------------------------------- the rival process

Squatter::Squatter(std::string root, std::vector<std::string> directories,
                   std::function<std::string(int)> wanted, int count)
    : root_(std::move(root)),
      directories_(std::move(directories)),
      wanted_(std::move(wanted)),
      count_(count) {}

Squatter::~Squatter() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (stop_fd_ >= 0) ::close(stop_fd_);
    if (!report_path_.empty()) ::unlink(report_path_.c_str());
}

void Squatter::TakeInAdvance(int n, std::int64_t mtime_utc) {
    const std::string path = wanted_(n);
    const std::string contents = "rival in advance " + std::to_string(n);
    if (!CreateExclusive(root_ + "/" + path, contents))
        throw std::runtime_error("cannot take " + path);
    SetMtime(root_ + "/" + path, mtime_utc);
    taken_in_advance_[path] = contents;
}

void Squatter::Start() {
    char report[] = "/tmp/tavrel-squatter-XXXXXX";
    const int report_fd = ::mkstemp(report);
    if (report_fd < 0) throw std::runtime_error("mkstemp failed");
    ::close(report_fd);
    report_path_ = report;

    int ready[2], stop[2];
    if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(stop, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ > 0) {
        ::close(ready[1]);
        ::close(stop[0]);
        stop_fd_ = stop[1];
        char byte = 0;
        const bool started = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        if (!started) throw std::runtime_error("the squatter did not start");
        return;
    }

    // The child: nothing here may return into the test framework.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::close(ready[0]);
    ::close(stop[1]);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    std::map<int, std::string> folder_of;  // watch descriptor -> folder below root
    for (const auto& directory : directories_) {
        const int wd =
            ::inotify_add_watch(watch, (root_ + "/" + directory).c_str(), IN_CREATE | IN_MOVED_TO);
        if (wd < 0) ::_exit(3);
        folder_of[wd] = directory;
    }
    if (::write(ready[1], "r", 1) != 1) ::_exit(3);
    ::close(ready[1]);

    SquatterReport report_data;
    std::map<std::string, std::string>& live = report_data.live;
    std::vector<char> tried(static_cast<std::size_t>(count_), 0);
    std::deque<int> mine;  // originals whose wanted name this process holds, oldest first
    std::minstd_rand random(static_cast<unsigned>(::getpid()));
    int progress = -1;
    unsigned serial = 0;

    auto squat = [&](int n) {
        if (n < 0 || n >= count_ || tried[static_cast<std::size_t>(n)]) return;
        tried[static_cast<std::size_t>(n)] = 1;
        const std::string path = wanted_(n);
        const std::string contents = "rival " + std::to_string(serial++);
        if (!CreateExclusive(root_ + "/" + path, contents)) {
            ++report_data.refused;
            return;
        }
        ++report_data.squatted;
        live[path] = contents;
        mine.push_back(n);
    };
    // Removes one of its own files. Whatever holds the name is moved aside
    // first, so that a file of the pass that replaced it is put back rather
    // than removed by a test of the contents that comes too late.
    auto release = [&](int n) {
        const std::string path = wanted_(n);
        const auto own = live.find(path);
        if (own == live.end()) return;
        const std::string full = root_ + "/" + path;
        const std::string aside = full + ".aside";
        if (::rename(full.c_str(), aside.c_str()) != 0) return;
        std::ifstream file(aside, std::ios::binary);
        const std::string now((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
        if (now == own->second && ::unlink(aside.c_str()) == 0) {
            live.erase(own);
            ++report_data.released;
        } else {
            ::rename(aside.c_str(), full.c_str());  // not ours any more: leave it for the check
        }
    };
    // How far ahead of the pass the name of original n is taken: near names race
    // with the pass's own check of the name, far ones force collision searches.
    // A quarter of the originals are left alone, so that the pass has free names too.
    static const int kAhead[] = {1, 1, 2, 3, 4, 6, 9, 14, 22, 35};
    constexpr int kFarthest = 35;
    auto distance = [](int n) { return kAhead[(static_cast<unsigned>(n) * 7919u) % 10]; };
    auto chosen = [](int n) { return (static_cast<unsigned>(n) * 31u) % 4 != 0; };

    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        pollfd fds[2] = {{watch, POLLIN, 0}, {stop[0], POLLIN, 0}};
        if (::poll(fds, 2, 50) < 0 && errno != EINTR) break;
        if (fds[1].revents != 0) break;
        for (;;) {
            const ssize_t length = ::read(watch, buffer, sizeof buffer);
            if (length <= 0) break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->len == 0 || folder_of.count(event->wd) == 0) continue;
                const std::string path = folder_of[event->wd] + "/" + event->name;
                if (live.count(path) != 0 || taken_in_advance_.count(path) != 0) continue;
                if (path.size() > 6 && path.compare(path.size() - 6, 6, ".aside") == 0) continue;
                const int n = OriginalIndex(event->name);
                if (n < 0) continue;
                ++report_data.events;
                if (n <= progress) continue;
                progress = n;
                for (int target = progress + 1; target <= progress + kFarthest; ++target) {
                    if (!chosen(target) || target - distance(target) > progress) continue;
                    squat(target);
                    // Now and then give a name back at once, so that the pass may
                    // find it taken and then free.
                    if (distance(target) == 1 && random() % 8 == 0) release(target);
                }
                while (!mine.empty() && mine.front() < progress - 3) {
                    const int old = mine.front();
                    mine.pop_front();
                    if (random() % 2 == 0) release(old);
                }
            }
        }
    }

    FILE* out = std::fopen(report_path_.c_str(), "w");
    if (out == nullptr) ::_exit(4);
    std::fprintf(out, "stats\t%d\t%d\t%d\t%d\n", report_data.events, report_data.squatted,
                 report_data.refused, report_data.released);
    for (const auto& [path, contents] : live)
        std::fprintf(out, "live\t%s\t%s\n", path.c_str(), contents.c_str());
    std::fclose(out);
    ::_exit(0);
}

SquatterReport Squatter::Stop() {
    SquatterReport report;
    if (pid_ > 0) {
        ::close(stop_fd_);
        stop_fd_ = -1;
        int status = 0;
        pid_t done = 0;
        for (int waited = 0; (done = ::waitpid(pid_, &status, WNOHANG)) == 0 && waited < 2000;
             ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        if (done == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("the squatter did not end well");
        std::ifstream in(report_path_);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string kind;
            std::getline(fields, kind, '\t');
            if (kind == "stats") {
                fields >> report.events >> report.squatted >> report.refused >> report.released;
            } else if (kind == "live") {
                std::string path, contents;
                std::getline(fields, path, '\t');
                std::getline(fields, contents);
                report.live[path] = contents;
            }
        }
    }
    for (const auto& [path, contents] : taken_in_advance_) report.live[path] = contents;
    return report;
}

// ---------------------------------------------------------------- the rename chain

const ChainBranchCase kChainBranches[3] = {
    {"renameat2 with RENAME_NOREPLACE", ChainBranch::kNoReplaceFlag},
    {"link + unlink", ChainBranch::kLinkAndUnlink},
    {"lstat + plain rename", ChainBranch::kLstatAndRename},
};

RenameSystemCalls CallsFor(ChainBranch branch) {
    RenameSystemCalls calls = KernelRenameSystemCalls();
    if (branch != ChainBranch::kNoReplaceFlag)
        calls.rename_no_replace = [](const char*, const char*) { return EINVAL; };
    if (branch == ChainBranch::kLstatAndRename)
        calls.link = [](const char*, const char*) { return EPERM; };
    return calls;
}

int BranchFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    return RenameWithoutReplacing(from, to, calls_);
}

// ---------------------------------------------------------------- crashes

namespace {

// An inotify descriptor watching folders for new names; closed on destruction.
class NewNameWatch {
public:
    explicit NewNameWatch(const std::vector<std::string>& folders)
        : fd_(::inotify_init1(IN_CLOEXEC)) {
        if (fd_ < 0) throw std::runtime_error("inotify_init1 failed");
        for (const auto& folder : folders) {
            if (::inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
                throw std::runtime_error("cannot watch " + folder);
        }
    }
    ~NewNameWatch() { ::close(fd_); }
    NewNameWatch(const NewNameWatch&) = delete;
    NewNameWatch& operator=(const NewNameWatch&) = delete;

    // Waits up to timeout_ms for events and adds the new names among them to
    // `names`. False when the queue overflowed and the count is lost.
    bool Collect(int timeout_ms, int& names) {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, timeout_ms) <= 0) return true;
        alignas(inotify_event) char buffer[64 * 1024];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) return false;
            if (event->mask & (IN_CREATE | IN_MOVED_TO)) ++names;
        }
        return true;
    }

private:
    int fd_;
};

}  // namespace

KillOutcome RunAndKillAtProgress(const std::function<void()>& body,
                                 const std::vector<std::string>& folders, int names) {
    // Watching starts before the child does, so none of its names is missed.
    NewNameWatch watch(folders);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        body();
        ::_exit(0);
    }
    KillOutcome outcome;
    int status = 0;
    for (;;) {
        const bool counted = watch.Collect(100, outcome.names_seen);
        if (!counted || outcome.names_seen >= names) break;
        if (::waitpid(pid, &status, WNOHANG) == pid) return outcome;  // ended by itself
    }
    outcome.killed = ::waitpid(pid, &status, WNOHANG) == 0;
    if (outcome.killed) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    return outcome;
}

int CrashUntilKilled(int kills_wanted, int max_rounds, const KillPlan& plan, std::uint32_t seed,
                     const std::function<void(int round)>& body,
                     const std::function<bool(int round, const KillOutcome& outcome)>& check) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> names(plan.fewest_names, plan.most_names);
    int kills = 0, round = 0;
    for (; round < max_rounds && kills < kills_wanted; ++round) {
        const KillOutcome outcome =
            RunAndKillAtProgress([&] { body(round); }, plan.folders, names(random));
        if (check(round, outcome)) ++kills;
    }
    return round;
}

bool IsWholeSettingsFile(const std::string& text) {
    for (const char* value : {"-1", "0", "1", "2"})
        if (text == std::string("StampType:") + value + "\r\n") return true;
    return false;
}

// ---------------------------------------------------------------- running programs

RunResult RunGuarded(const std::vector<std::string>& argv, const GuardOptions& options) {
    std::vector<std::string> guarded{"/usr/bin/timeout",
                                     std::to_string(options.time_limit_seconds)};
    if (options.without_override && ::geteuid() == 0) {
        guarded.insert(guarded.end(),
                       {"/usr/bin/setpriv", "--inh-caps=-dac_override,-dac_read_search",
                        "--bounding-set=-dac_override,-dac_read_search"});
    }
    guarded.insert(guarded.end(), argv.begin(), argv.end());
    return Run(guarded, options.environment, options.working_directory);
}

void DropFileAccessOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) throw std::runtime_error("capget failed");
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
        data[capability / 32].effective &= ~(1u << (capability % 32));
    if (::syscall(SYS_capset, &header, data) != 0) throw std::runtime_error("capset failed");
}

}  // namespace tavrel::test
