#pragma once
// The window's default error handling: the message in a box with an error icon
// and an OK button, titled with the application title. The box is shown by an
// ErrorBox passed to the window, so tests can record instead of showing.

#include <windows.h>

#include <string>

namespace tavrel::win32 {

class ErrorBox {
public:
    virtual ~ErrorBox() = default;
    // Shows the text under the title, owned by the window (which may be null),
    // and returns when the user has dismissed it.
    virtual void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) = 0;
};

// The real box: MessageBoxW with MB_ICONERROR and MB_OK.
class MessageBoxErrorBox final : public ErrorBox {
public:
    void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) override;
};

// The text of the box: the message, with "." appended when its last code unit
// lies above that of "." (46).
std::wstring WindowErrorText(const std::wstring& message);

// The application title: the executable's file name (after the last "\", "/"
// or ":") up to its first ".", every character after the first in lower case.
std::wstring ApplicationTitle(const std::wstring& executable_path);

}  // namespace tavrel::win32
