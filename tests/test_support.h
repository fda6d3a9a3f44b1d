#pragma once
// Helpers for Tavrel's Linux tests beyond the shared file helpers: times of
// files, listings of trees, and running the real program.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "test_files.h"

namespace tavrel::test {

// Sets a file's last-write time.
void SetMtime(const std::string& path, std::int64_t mtime_utc);
bool Exists(const std::string& path);

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
