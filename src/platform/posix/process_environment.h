#pragma once
// What Tavrel reads from its environment on Linux: variables and the host name.

#include <string>

namespace tavrel {

// The locale name that governs a category, the way the C library chooses it:
// LC_ALL, then the category's own variable (e.g. "LC_TIME"), then LANG.
// Empty when none is set.
std::string LocaleNameFor(const char* category_variable);

// The settings folder of the XDG base directories for a user: the value of
// XDG_CONFIG_HOME + "/tavrel" when it is an absolute path, otherwise
// home + "/.config/tavrel" (empty and relative values count as unset).
std::string XdgSettingsFolder(const char* xdg_config_home, const std::string& home);

// The journal folder of the XDG base directories for a user: the value of
// XDG_STATE_HOME + "/tavrel" when it is an absolute path, otherwise
// home + "/.local/state/tavrel" (empty and relative values count as unset).
std::string XdgStateFolder(const char* xdg_state_home, const std::string& home);

// HOME, or where it is unset or empty the home folder of the user database;
// empty when neither names one.
std::string HomeFolder();

// This machine's host name (gethostname); empty when it cannot be read.
std::string HostName();

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY) and Qt
// is not told to draw nowhere (QT_QPA_PLATFORM offscreen or minimal).
bool DisplayAvailable();

}  // namespace tavrel
