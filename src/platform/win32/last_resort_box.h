#pragma once
// The last-resort handler's message box on Windows.

#include <string>

namespace tavrel::win32 {

// The title of the last-resort box.
inline constexpr const wchar_t* kLastResortTitle = L"アプリケーション エラー";

// Shows the text in a task-modal message box with an error icon, titled
// kLastResortTitle, and waits until it is dismissed.
void ShowLastResortBox(const std::string& text);

}  // namespace tavrel::win32
