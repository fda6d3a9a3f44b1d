#pragma once
// What Tavrel reads from its environment variables on Linux.

#include <string>

namespace tavrel {

// The locale name that governs a category, the way the C library chooses it:
// LC_ALL, then the category's own variable (e.g. "LC_TIME"), then LANG.
// Empty when none is set.
std::string LocaleNameFor(const char* category_variable);

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY) and Qt
// is not told to draw nowhere (QT_QPA_PLATFORM offscreen or minimal).
bool DisplayAvailable();

}  // namespace tavrel
