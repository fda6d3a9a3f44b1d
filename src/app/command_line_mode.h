#pragma once
// Command-line mode: rename what the arguments name with the stored stamp type,
// without any window, and exit.

#include <functional>
#include <string>
#include <vector>

namespace tavrel {

// Runs a whole command-line run on the real file system, with the regional
// formats and collation of the user's locale. Returns the exit code: 0 after the
// run, 1 when an error escaped it (its text then went to standard error; files
// renamed before the error keep their new names; then show_error, when given,
// gets the same text, so the caller can put it in a message box).
int RunCommandLineMode(const std::vector<std::string>& arguments,
                       const std::function<void(const std::string&)>& show_error = {});

}  // namespace tavrel
