#pragma once
// Window mode and the message boxes that program entry needs. This header stays
// free of Qt so the program entry can include it.

#include <string>

namespace tavrel {

// Runs window mode: creates the application and the main window, initialises
// it, shows it and runs the event loop until the window has been closed.
// Returns 0, or 1 when an error escaped start-up (its text then went to standard
// error and to the last-resort message box). Returns 2 without a display.
int RunWindowMode(int& argc, char** argv);

// Shows the last-resort message box with the given text when a display is
// available, and waits until it is dismissed. Used where no Qt application
// exists (command-line mode): the box runs in a child process, so a display
// that cannot be reached never harms the caller.
void ShowLastResortBoxIfDisplay(const std::string& text);

}  // namespace tavrel
