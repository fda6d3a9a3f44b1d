#pragma once
// The file helpers of every test program, on Linux and on Windows: temporary
// folders, files with chosen last-write times, and folder listings. Paths are
// the core's UTF-8 strings; each system's test support defines these.

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::test {

// A fresh folder in the system's temporary folder, removed with everything in
// it at the end (entries a test made read-only, hidden or unreadable too).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // The path of a name in the folder, joined with the system's separator.
    std::string operator/(const std::string& name) const;

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

}  // namespace tavrel::test
