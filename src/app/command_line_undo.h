#pragma once
// `tavrel --undo`: the newest rename run not undone yet, named back from its
// journal without any window.

#include <functional>
#include <string>

namespace tavrel {

// Undoes the newest run left to undo in the user's journal folder, last
// renamed first, never replacing a file, and marks its journal. Prints a line
// on standard output for what was named back and one on standard error for
// each file left as it is. Returns 0 when every rename of the run was undone,
// 1 otherwise (no run to undo included). An error that escapes goes to the
// last resort, as in command-line mode.
int RunCommandLineUndo(const std::function<void(const std::string&)>& show_error = {});

}  // namespace tavrel
