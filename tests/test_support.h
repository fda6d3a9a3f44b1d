#pragma once
// Shared helpers for Tavrel's tests: temporary folders, files with chosen
// last-write times, and running the real program.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tavrel::test {

// A fresh folder below /tmp, removed again (with everything in it) at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Seconds since the epoch of a UTC calendar time.
std::int64_t UtcSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Creates (or overwrites) a file with the given contents and last-write time.
void MakeFile(const std::string& path, std::int64_t mtime_utc, const std::string& contents = "x");
void MakeDirectory(const std::string& path);
// Sets a file's last-write time.
void SetMtime(const std::string& path, std::int64_t mtime_utc);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// The names in one folder, sorted by their bytes.
std::vector<std::string> Names(const std::string& directory);
// Every file path below a folder, relative to it, sorted by bytes.
std::vector<std::string> FilesBelow(const std::string& directory);

struct RunResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// "XDG_STATE_HOME=" and the tests' own state folder (set up by the tests'
// main), for an environment given whole to a program a test runs: its
// journals stay out of the state folder of the account that runs the tests.
const char* StateHomeEntry();

// Runs a program with exactly the given environment (no other variables but
// the tests' own XDG_STATE_HOME, where the environment names none) in the
// given working directory, and waits for it.
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
              const std::string& working_directory = "");

// Runs the built tavrel (or another copy of it) with TZ and LC_ALL pinned.
RunResult RunTavrel(const std::vector<std::string>& arguments, const std::string& tz = "UTC",
                    const std::string& lc_all = "C", const std::string& working_directory = "",
                    const std::string& binary = TAVREL_BINARY);

// Copies the program into a folder of its own, so a test can give it a settings
// file; returns the copy's path.
std::string CopyTavrelTo(const std::string& directory);

}  // namespace tavrel::test
