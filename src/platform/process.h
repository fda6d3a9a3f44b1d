#pragma once
// What Tavrel learns about its own process.

#include <string>

namespace tavrel {

// The executable's full path (from /proc/self/exe on Linux, GetModuleFileNameW
// on Windows); empty when it cannot be read.
std::string ExecutablePath();

}  // namespace tavrel
