#pragma once
// Files the keyboard adds to the window: those on the clipboard (Ctrl+V) and
// those chosen in the common item dialog (Ctrl+O).

#include <windows.h>

#include <string>
#include <vector>

namespace tavrel::win32 {

// The paths (UTF-8) on the clipboard: files copied in Explorer (CF_HDROP), or
// absolute paths as text, one a line. None when the clipboard holds neither
// or cannot be opened.
std::vector<std::string> ClipboardPaths(HWND owner);

// The files (several) or, with `folder`, the folder chosen in the common item
// dialog, owned by `owner`; none when the user cancels or the dialog cannot
// be shown.
std::vector<std::string> ChooseFiles(HWND owner, bool folder, const std::wstring& title);

}  // namespace tavrel::win32
