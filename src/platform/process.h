#pragma once
// What Tavrel learns about its own process.

#include <string>

namespace tavrel {

// The executable's full path (from /proc/self/exe on Linux, GetModuleFileNameW
// on Windows); empty when it cannot be read.
std::string ExecutablePath();

// The working folder of the process; empty when it cannot be read.
std::string WorkingFolder();

// The folder that holds the user's settings file when this build keeps it
// apart from the program: the Linux package's build (TAVREL_XDG_SETTINGS)
// installs the program where no user may write, so its settings live in
// $XDG_CONFIG_HOME/tavrel. Empty in every other build: the settings file lies
// beside the program.
std::string SeparateSettingsFolder();

}  // namespace tavrel
