#pragma once
// Helpers for the Windows tests beyond the shared file helpers: child
// processes and the user's regional overrides in the registry. Paths are the
// core's UTF-8 strings.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "test_files.h"

namespace tavrel::test {

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
