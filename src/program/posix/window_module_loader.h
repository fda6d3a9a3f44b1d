#pragma once
// Loading the window module. Window mode and the last-resort message box live in
// a shared object of their own, so that a command-line run starts without
// loading Qt: the program loads the module only when it opens a window.

#include <string>
#include <vector>

namespace tavrel {

// The module's file name, and the places it is looked for, in order: beside the
// executable (the build tree) and in ../lib/tavrel/ from the executable's
// directory (an installed prefix). None when the executable's full path is not
// known: the working directory is never searched.
inline constexpr const char* kWindowModuleName = "tavrel-window.so";
std::vector<std::string> WindowModuleCandidates(const std::string& executable);

// Loads the module and runs window mode in it (see RunWindowMode). When the
// module cannot be loaded, says so on standard error and returns 1.
int RunWindowModeFromModule(int& argc, char** argv);

// Shows the last-resort box through the module when a display is available;
// does nothing otherwise, or when the module cannot be loaded.
void ShowLastResortBoxFromModule(const std::string& text);

}  // namespace tavrel
