#pragma once
// Helpers for the Windows tests: temporary folders, files with chosen
// last-write times and attributes, child processes, and the user's regional
// overrides in the registry. Paths are the core's UTF-8 strings.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::test {

// A fresh folder in the user's temporary folder, removed with everything in it
// at the end (read-only, hidden and system entries included).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Seconds since 1970 of a UTC calendar time.
std::int64_t UtcSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Creates (or overwrites) a file with the contents and last-write time (UTC).
void MakeFile(const std::string& path, std::int64_t utc_seconds, const std::string& contents = "x");
void MakeDirectory(const std::string& path);
std::string ReadFile(const std::string& path);
// The names in a folder, "." and ".." left out, sorted by their bytes.
std::vector<std::string> Names(const std::string& directory);

// The folder of the running test program, with its final backslash.
std::string ProgramDirectory();

// Starts a program with the given whole command-line text, waits for it and
// returns its exit code (or -1 when it could not be started).
int RunProcess(const std::string& program, const std::string& command_line);

// Sets regional settings of the user with SetLocaleInfoW, which stores them as
// overrides in HKCU\Control Panel\International (and which Wine, like
// Windows, also sees within the running process), for the lifetime of the
// object; the previous values are put back at the end, in reverse order (a
// separator's change rewrites the patterns that hold it).
class InternationalOverrides {
public:
    explicit InternationalOverrides(const std::vector<std::pair<LCTYPE, std::wstring>>& values);
    ~InternationalOverrides();
    InternationalOverrides(const InternationalOverrides&) = delete;
    InternationalOverrides& operator=(const InternationalOverrides&) = delete;

private:
    std::vector<std::pair<LCTYPE, std::wstring>> previous_;
};

}  // namespace tavrel::test
