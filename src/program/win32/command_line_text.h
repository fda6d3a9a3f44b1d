#pragma once
// The process's arguments on Windows.

#include <string>
#include <vector>

namespace tavrel::win32 {

// The arguments after the program's name, cut from the whole text that
// GetCommandLineW gives by Tavrel's own splitting rule (SplitCommandLine), not
// by CommandLineToArgvW: a backslash is an ordinary character and nothing
// escapes a quote.
std::vector<std::string> ProcessArguments();

}  // namespace tavrel::win32
