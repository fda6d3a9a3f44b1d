#pragma once
// Progress on the program's launcher button, where the desktop has one that
// shows progress: such desktops listen on the session bus for a launcher
// entry's update signal. Without a session bus nothing is sent.

#include <optional>

#include "app/window_model.h"

namespace tavrel {

// Shows the progress on the launcher button of the installed tavrel.desktop,
// or takes it away (nothing).
void ShowLauncherProgress(const std::optional<WorkProgress>& progress);

}  // namespace tavrel
