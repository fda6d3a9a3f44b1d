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
    // Asks the question with Yes and No buttons; true for Yes.
    virtual bool AskYesNo(HWND /*owner*/, const std::wstring& /*title*/,
                          const std::wstring& /*text*/) {
        return false;
    }
};

// The real box: MessageBoxW with MB_ICONERROR and MB_OK.
class MessageBoxErrorBox final : public ErrorBox {
public:
    void ShowError(HWND owner, const std::wstring& title, const std::wstring& text) override;
    // MessageBoxW with MB_ICONQUESTION and MB_YESNO, No the default.
    bool AskYesNo(HWND owner, const std::wstring& title, const std::wstring& text) override;
};

}  // namespace tavrel::win32
