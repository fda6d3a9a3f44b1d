#pragma once
// The bottom panel: a child window in the button-face colour with a raised
// edge and no caption. It holds controls of its own and passes their
// notifications (WM_COMMAND) on to its parent, so the main window handles them.

#include <windows.h>

#include "app/window_layout.h"

namespace tavrel::win32 {

// Creates the panel as a child of the parent, with the control id given.
HWND CreateRaisedPanel(HWND parent, const Rect& rect, int id);

}  // namespace tavrel::win32
