// The rename chain on real file systems that lack the kernel's no-replace rename:
// FAT, exFAT and NTFS images, each made in a file and mounted through FUSE by the
// test. A taken name is never replaced, a name that differs from a taken one in
// letter case only is a collision where the file system folds case, and a rival
// taking names during a pass loses nothing. Each test records which step of the
// chain the file system takes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <regex>

#include "pass/stamp_pass.h"
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
const char kToolPath[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";

enum class Kind { kFat, kExfat, kNtfs };

const char* NameOf(Kind kind) {
    switch (kind) {
        case Kind::kFat:
            return "Fat";
        case Kind::kExfat:
            return "Exfat";
        case Kind::kNtfs:
            return "Ntfs";
    }
    return "Unknown";
}

// How test names and messages show a kind.
void PrintTo(Kind kind, std::ostream* out) {
    *out << NameOf(kind);
}

struct KindInfo {
    const char* label;
    std::vector<std::string> make;   // the image path goes last
    std::vector<std::string> mount;  // the image (or device) and mount point go last
};

KindInfo InfoOf(Kind kind) {
    switch (kind) {
        case Kind::kFat:
            return {"fusefat", {"mkfs.vfat", "-n", "TAVREL"}, {"fusefat", "-o", "rw+"}};
        case Kind::kExfat:
            return {"exfat-fuse", {"mkfs.exfat"}, {"mount.exfat-fuse"}};
        case Kind::kNtfs:
            return {"ntfs-3g", {"mkntfs", "-F", "-f", "-q"}, {"ntfs-3g"}};
    }
    return {};
}

bool HasTool(const std::string& name) {
    for (const char* directory : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"})
        if (::access((std::string(directory) + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

struct ToolRun {
    int exit_code = -1;
    std::string output;
};

// Runs a system tool under a time limit with its output in a file, not a pipe:
// a mount program leaves a daemon behind that may keep its output open.
ToolRun RunTool(const std::vector<std::string>& argv) {
    char log[] = "/tmp/tavrel-tool-XXXXXX";
    const int log_fd = ::mkstemp(log);
    if (log_fd < 0) return {};
    std::vector<std::string> guarded{"/usr/bin/timeout", "120"};
    guarded.insert(guarded.end(), argv.begin(), argv.end());
    const char* state_home = StateHomeEntry();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null_fd = ::open("/dev/null", O_RDONLY);
        ::dup2(null_fd, 0);
        ::dup2(log_fd, 1);
        ::dup2(log_fd, 2);
        std::vector<char*> args;
        for (const auto& a : guarded) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const char* env[] = {"TZ=UTC", kToolPath, state_home, nullptr};
        ::execve(args[0], args.data(), const_cast<char**>(env));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(log_fd);
    ToolRun run;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.output = ReadFile(log);
    ::unlink(log);
    while (!run.output.empty() && std::isspace(static_cast<unsigned char>(run.output.back())))
        run.output.pop_back();
    return run;
}

// An image file with a fresh file system, mounted for the life of the object.
class MountedImage {
public:
    MountedImage(Kind kind, const std::string& work) {
        const KindInfo info = InfoOf(kind);
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            why_not_ = "/dev/fuse is missing here, so no FUSE file system can be mounted";
            return;
        }
        for (const auto& tool : {info.make.front(), info.mount.front()}) {
            if (!HasTool(tool)) {
                why_not_ = tool + " is missing (see PACKAGES in the Makefile)";
                return;
            }
        }
        const std::string image = work + "/image";
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool sized = fd >= 0 && ::ftruncate(fd, 64 << 20) == 0;
        if (fd >= 0) ::close(fd);
        if (!sized) {
            why_not_ = "cannot make the image file";
            return;
        }
        std::vector<std::string> make = info.make;
        make.push_back(image);
        if (const ToolRun made = RunTool(make); made.exit_code != 0) {
            why_not_ = make.front() + " failed: " + made.output;
            return;
        }
        mount_point_ = work + "/mnt";
        MakeDirectory(mount_point_);
        ToolRun mounted = Mount(info, image);
        // exfat-fuse run as root asks for a block device: give it a loop device.
        if (mounted.exit_code != 0 && mounted.output.find("Block device") != std::string::npos &&
            HasTool("losetup")) {
            const ToolRun loop = RunTool({"losetup", "--find", "--show", image});
            if (loop.exit_code == 0) {
                loop_device_ = loop.output;
                mounted = Mount(info, loop_device_);
            }
        }
        struct stat inside, outside;
        if (mounted.exit_code != 0 || ::stat(mount_point_.c_str(), &inside) != 0 ||
            ::stat(work.c_str(), &outside) != 0 || inside.st_dev == outside.st_dev) {
            why_not_ = "cannot mount the image (" + mounted.output +
                       "); mounting needs privileges this machine may not give";
            Detach();
            return;
        }
        mounted_ = true;
    }

    ~MountedImage() {
        if (mounted_ && RunTool({"fusermount", "-u", mount_point_}).exit_code != 0)
            RunTool({"fusermount", "-u", "-z", mount_point_});
        Detach();
    }

    bool mounted() const { return mounted_; }
    const std::string& why_not() const { return why_not_; }
    const std::string& root() const { return mount_point_; }

private:
    ToolRun Mount(const KindInfo& info, const std::string& source) {
        std::vector<std::string> mount = info.mount;
        mount.push_back(source);
        mount.push_back(mount_point_);
        return RunTool(mount);
    }
    void Detach() {
        if (!loop_device_.empty()) RunTool({"losetup", "-d", loop_device_});
        loop_device_.clear();
    }

    std::string mount_point_;
    std::string loop_device_;
    std::string why_not_;
    bool mounted_ = false;
};

// Calls of the real chain, each logged with its answer.
RenameSystemCalls LoggedKernelCalls(std::vector<std::string>& log) {
    const RenameSystemCalls& kernel = KernelRenameSystemCalls();
    auto record = [&log](const char* call, int answer) {
        log.push_back(std::string(call) + "=" + std::to_string(answer));
        return answer;
    };
    RenameSystemCalls calls;
    calls.rename_no_replace = [&kernel, record](const char* a, const char* b) {
        return record("renameat2", kernel.rename_no_replace(a, b));
    };
    calls.link = [&kernel, record](const char* a, const char* b) {
        return record("link", kernel.link(a, b));
    };
    calls.unlink = [&kernel, record](const char* a) { return record("unlink", kernel.unlink(a)); };
    calls.lstat = [&kernel, record](const char* a) { return record("lstat", kernel.lstat(a)); };
    calls.rename = [&kernel, record](const char* a, const char* b) {
        return record("rename", kernel.rename(a, b));
    };
    return calls;
}

// The step of the chain that did a successful rename, from its log.
std::string BranchOf(const std::vector<std::string>& log) {
    if (!log.empty() && log.front() == "renameat2=0") return "renameat2 with RENAME_NOREPLACE";
    for (const auto& entry : log)
        if (entry == "link=0") return "link + unlink";
    for (const auto& entry : log)
        if (entry == "rename=0") return "lstat + plain rename";
    return "none";
}

// The step of the chain that renames on the file system below folder.
std::string ProbeBranch(const std::string& folder) {
    MakeDirectory(folder);
    MakeFile(folder + "/probe", kWritten, "probe");
    std::vector<std::string> log;
    RenameWithoutReplacing(folder + "/probe", folder + "/probed", LoggedKernelCalls(log));
    RemoveTree(folder);
    return BranchOf(log);
}

// The name below a folder that holds the given contents ("" when none does).
std::string NameHolding(const std::map<std::string, std::string>& files,
                        const std::string& contents) {
    for (const auto& [name, held] : files)
        if (held == contents) return name;
    return "";
}

class MountedFileSystemTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        image_ = std::make_unique<MountedImage>(GetParam(), work_.path());
        if (!image_->mounted())
            GTEST_SKIP() << InfoOf(GetParam()).label << ": " << image_->why_not();
    }
    void TearDown() override { image_.reset(); }

    std::string Folder(const std::string& name) {
        const std::string folder = image_->root() + "/" + name;
        MakeDirectory(folder);
        return folder;
    }

    TempDir work_;
    std::unique_ptr<MountedImage> image_;
};

TEST_P(MountedFileSystemTest, RenameChainNeverReplacesATakenName) {
    using Files = std::map<std::string, std::string>;
    const std::string dir = Folder("chain");
    MakeFile(dir + "/moving", kWritten, "moving");
    MakeFile(dir + "/taken", kWritten, "taken");
    std::vector<std::string> log;
    const RenameSystemCalls calls = LoggedKernelCalls(log);

    EXPECT_EQ(RenameWithoutReplacing(dir + "/moving", dir + "/free", calls), 0);
    const std::string branch = BranchOf(log);
    EXPECT_EQ(Snapshot(dir), (Files{{"free", "moving"}, {"taken", "taken"}}));

    EXPECT_EQ(RenameWithoutReplacing(dir + "/free", dir + "/taken", calls), EEXIST);
    EXPECT_EQ(Snapshot(dir), (Files{{"free", "moving"}, {"taken", "taken"}}));

    // Where the file system folds letter case, TAKEN is the taken name again.
    const bool folds_case = Exists(dir + "/TAKEN");
    const int clash = RenameWithoutReplacing(dir + "/free", dir + "/TAKEN", calls);
    if (folds_case) {
        EXPECT_EQ(clash, EEXIST);
        EXPECT_EQ(Snapshot(dir), (Files{{"free", "moving"}, {"taken", "taken"}}));
    } else {
        EXPECT_EQ(clash, 0);
        EXPECT_EQ(Snapshot(dir), (Files{{"TAKEN", "moving"}, {"taken", "taken"}}));
    }
    RecordProperty("rename_branch", branch);
    std::cout << "[ figures  ] " << InfoOf(GetParam()).label << ": " << branch
              << (folds_case ? ", folds letter case" : ", keeps letter case apart") << "\n";
}

// A pass over files in two folders asks renameat2 with RENAME_NOREPLACE for
// every file where the file system takes the flag, and once in all where it
// refuses it: after the first refusal every rename goes straight to the
// fallback, in the other folder too.
TEST_P(MountedFileSystemTest, AFileSystemRefusingNoReplaceIsAskedOnceAPass) {
    std::vector<std::string> log;
    PosixFileSystem file_system([&log](int directory_fd) {
        RenameSystemCalls calls = KernelRenameSystemCallsIn(directory_fd);
        calls.rename_no_replace = [&log, ask = calls.rename_no_replace](const char* a,
                                                                        const char* b) {
            const int answer = ask(a, b);
            log.push_back("renameat2=" + std::to_string(answer));
            return answer;
        };
        return calls;
    });
    std::vector<std::string> paths;
    for (const char* folder : {"one", "two"})
        for (int i = 0; i < 3; ++i) {
            paths.push_back(Folder(folder) + "/IMG_" + std::to_string(i) + ".jpg");
            MakeFile(paths.back(), kWritten, paths.back());
        }
    MonotonicClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const PassPaths pass_paths{paths.size(),
                               [&](std::size_t i) -> const std::string& { return paths[i]; }};
    int renamed = 0;
    PassEvents events;
    events.renamed = [&](std::size_t, const std::string&, const std::string&) { ++renamed; };
    const PassEnd end = RunStampPass(pass_paths, 1, {file_system, formats, clock}, events);
    EXPECT_EQ(end.finished, paths.size());
    EXPECT_EQ(renamed, 6);
    ASSERT_FALSE(log.empty());
    const bool refused = log.front() == "renameat2=" + std::to_string(EINVAL) ||
                         log.front() == "renameat2=" + std::to_string(ENOSYS);
    EXPECT_EQ(log.size(), refused ? 1u : paths.size()) << InfoOf(GetParam()).label;
    std::cout << "[ figures  ] " << InfoOf(GetParam()).label << ": renameat2 asked " << log.size()
              << " times for 6 files in 2 folders (" << (refused ? "refused" : "taken") << ")\n";
}

TEST_P(MountedFileSystemTest, CommandLineRunTreatsTakenAndCaseClashingNamesAsCollisions) {
    const std::string folder = Folder("photos");
    MakeFile(folder + "/IMG_0001.jpg", kWritten, "one");
    MakeFile(folder + "/IMG_0002.jpg", kWritten, "two");
    MakeFile(folder + "/20110915_IMG_0002.jpg", kWritten, "taken two");
    MakeFile(folder + "/img_0003.jpg", kWritten, "three");
    MakeFile(folder + "/20110915_IMG_0003.jpg", kWritten, "upper three");
    const bool folds_case = Exists(folder + "/IMG_0003.JPG");

    const RunResult result = RunGuarded({TAVREL_BINARY, folder});
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto files = Snapshot(folder);
    EXPECT_EQ(files.size(), 5u);
    EXPECT_EQ(NameHolding(files, "one"), "20110915_IMG_0001.jpg");
    EXPECT_EQ(NameHolding(files, "taken two"), "20110915_IMG_0002.jpg");
    EXPECT_EQ(NameHolding(files, "upper three"), "20110915_IMG_0003.jpg");
    const std::string two = NameHolding(files, "two");
    EXPECT_TRUE(std::regex_match(two, std::regex(R"(20110915_IMG_0002\.[0-9A-Za-z]{6}\.jpg)")))
        << two;
    const std::string three = NameHolding(files, "three");
    if (folds_case) {
        EXPECT_TRUE(
            std::regex_match(three, std::regex(R"(20110915_img_0003\.[0-9A-Za-z]{6}\.jpg)")))
            << three;
    } else {
        EXPECT_EQ(three, "20110915_img_0003.jpg");
    }
}

TEST_P(MountedFileSystemTest, RivalTakingNamesDuringAPassLosesNothing) {
    constexpr int kCount = 200;
    constexpr int kFolders = 2;
    const bool last_step = ProbeBranch(image_->root() + "/probe") == "lstat + plain rename";
    // fusefat itself loses files when two processes change one directory at
    // the same time (a plain lstat-and-rename loop loses them too), so there the
    // rival takes its names before the pass only.
    const bool concurrent = GetParam() != Kind::kFat;
    const std::string root = image_->root() + "/photos";
    const auto originals = MakeOriginals(root, kFolders, kCount, kWritten);
    Squatter rival(root, OriginalFolders(kFolders), WantedNames(originals, kStamp), kCount);
    for (int n = 5; n < kCount; n += concurrent ? 10 : 3) rival.TakeInAdvance(n, kWritten);
    if (concurrent) rival.Start();
    GuardOptions options;
    options.time_limit_seconds = 300;
    const RunResult result = RunGuarded({TAVREL_BINARY, root}, options);
    const SquatterReport report = rival.Stop();

    EXPECT_EQ(result.exit_code, 0) << result.err;
    Allowances allowed;
    allowed.window_losses = last_step;
    const TreeCheck check = CheckEveryFileKept(root, originals, {kStamp}, report.live, allowed);
    EXPECT_TRUE(check.faults.empty()) << FaultSummary(check);
    std::cout << "[ figures  ] " << InfoOf(GetParam()).label << ", " << kCount << " files: renamed "
              << check.new_names << ", tagged " << check.tagged_names << ", kept "
              << check.old_names << "; rival took " << report.live.size()
              << (concurrent ? " (" + std::to_string(report.squatted) + " during the pass)" : "")
              << ", replaced in the last step's window " << check.window_losses << "\n";
}

INSTANTIATE_TEST_SUITE_P(Fuse, MountedFileSystemTest,
                         ::testing::Values(Kind::kFat, Kind::kExfat, Kind::kNtfs),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return std::string(NameOf(info.param));
                         });

}  // namespace
}  // namespace tavrel::test
