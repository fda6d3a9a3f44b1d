#pragma once
// The last-resort handler's message box on Windows.

#include <string>

namespace tavrel::win32 {

// Shows the text in a task-modal message box with an error icon, titled as the
// last-resort box is, and waits until it is dismissed.
void ShowLastResortBox(const std::string& text);

}  // namespace tavrel::win32
