#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavrel::test {

TempDir::TempDir() {
    char name[] = "/tmp/tavrel-test-XXXXXX";
    if (::mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name;
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + "/" + name;
}

TempDir::~TempDir() {
    // Give back permissions a test took away, so that everything can be removed.
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) ::chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, error);
}

std::int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<std::int64_t>(::timegm(&tm));
}

void SetMtime(const std::string& path, std::int64_t mtime_utc) {
    timespec times[2];
    times[0].tv_sec = static_cast<time_t>(mtime_utc);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("utimensat failed for " + path);
}

void MakeFile(const std::string& path, std::int64_t mtime_utc, const std::string& contents) {
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!file) throw std::runtime_error("cannot create " + path);
        file << contents;
    }
    SetMtime(path, mtime_utc);
}

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("mkdir failed for " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream out;
    out << file.rdbuf();
    return out.str();
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> Names(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FilesBelow(const std::string& directory) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
        if (!entry.is_directory())
            files.push_back(entry.path().string().substr(directory.size() + 1));
    }
    std::sort(files.begin(), files.end());
    return files;
}

const char* StateHomeEntry() {
    static const std::string entry = [] {
        const char* folder = std::getenv("XDG_STATE_HOME");
        return std::string("XDG_STATE_HOME=") + (folder ? folder : "");
    }();
    return entry.c_str();
}

RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
              const std::string& working_directory) {
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const char* state_home = StateHomeEntry();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(out_pipe[1], 1);
        ::dup2(err_pipe[1], 2);
        const int null_fd = ::open("/dev/null", O_RDONLY);
        ::dup2(null_fd, 0);
        if (!working_directory.empty() && ::chdir(working_directory.c_str()) != 0) ::_exit(126);
        std::vector<char*> args, env;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        bool names_state = false;
        for (const auto& e : environment) {
            env.push_back(const_cast<char*>(e.c_str()));
            names_state = names_state || e.starts_with("XDG_STATE_HOME=");
        }
        if (!names_state) env.push_back(const_cast<char*>(state_home));
        env.push_back(nullptr);
        ::execve(args[0], args.data(), env.data());
        ::_exit(127);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    RunResult result;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_count = 2;
    while (open_count > 0) {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

RunResult RunTavrel(const std::vector<std::string>& arguments, const std::string& tz,
                    const std::string& lc_all, const std::string& working_directory,
                    const std::string& binary) {
    std::vector<std::string> argv{binary};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Run(argv, {"TZ=" + tz, "LC_ALL=" + lc_all, "PATH=/usr/bin:/bin"}, working_directory);
}

std::string CopyTavrelTo(const std::string& directory) {
    const std::string copy = directory + "/tavrel";
    std::filesystem::copy_file(TAVREL_BINARY, copy,
                               std::filesystem::copy_options::overwrite_existing);
    ::chmod(copy.c_str(), 0755);
    // The window module travels with the program, as an installation puts it.
    const auto module = std::filesystem::path(TAVREL_BINARY).parent_path() / "tavrel-window.so";
    if (std::filesystem::exists(module))
        std::filesystem::copy_file(module, directory + "/tavrel-window.so",
                                   std::filesystem::copy_options::overwrite_existing);
    return copy;
}

}  // namespace tavrel::test
