#include "ui/win32/error_box.h"

namespace tavrel::win32 {

void MessageBoxErrorBox::ShowError(HWND owner, const std::wstring& title,
                                   const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

bool MessageBoxErrorBox::AskYesNo(HWND owner, const std::wstring& title, const std::wstring& text) {
    return MessageBoxW(owner, text.c_str(), title.c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace tavrel::win32
