#pragma once
// Starting Qt's display platform. Where none can start (no X server answers,
// no Wayland compositor, or the plugin for the only display named is not
// installed) Qt ends the process with abort(). While a DisplayStartGuard lives,
// that end is a message on standard error saying what is missing, and that the
// command line works without a display, then exit code 1.

#include <string>
#include <vector>

namespace tavrel {

// What the user is told when no display platform could start, one line each.
// x_display, wayland_display and requested_platform are the values of DISPLAY,
// WAYLAND_DISPLAY and QT_QPA_PLATFORM ("" when unset); qt_reasons are Qt's own
// messages while it tried the platforms.
struct DisplayStartFailure {
    std::string x_display;
    std::string wayland_display;
    std::string requested_platform;
    bool wayland_plugin_installed = false;
    std::vector<std::string> qt_reasons;
};
std::string DescribeDisplayStartFailure(const DisplayStartFailure& failure);

// Set up before the QApplication is made, dropped once it stands. Meanwhile
// Qt's messages (those of the platforms it tried) are held back: they become
// the reasons of the message above, or, when a platform did start, are passed
// on as they came.
class DisplayStartGuard {
public:
    DisplayStartGuard();
    ~DisplayStartGuard();
    DisplayStartGuard(const DisplayStartGuard&) = delete;
    DisplayStartGuard& operator=(const DisplayStartGuard&) = delete;
};

}  // namespace tavrel
