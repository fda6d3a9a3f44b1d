#pragma once
// The paths of a drop of files from the shell (WM_DROPFILES).

// shellapi.h needs the types of windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

namespace tavrel::win32 {

// Fetches every path (UTF-8) of a list of dropped or copied files (a drop, or
// the clipboard's CF_HDROP), in its order, each one whole however long it is.
std::vector<std::string> DroppedPathsOf(HDROP drop);

// DroppedPathsOf, then releases the drop (DragFinish) - also when fetching
// fails part-way.
std::vector<std::string> TakeDroppedPaths(HDROP drop);

}  // namespace tavrel::win32
