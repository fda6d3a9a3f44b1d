#include "ui/win32/error_box.h"

namespace tavrel::win32 {

void MessageBoxErrorBox::ShowError(HWND owner, const std::wstring& title,
                                   const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

std::wstring WindowErrorText(const std::wstring& message) {
    std::wstring text = message;
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}

std::wstring ApplicationTitle(const std::wstring& executable_path) {
    const std::size_t name_start = executable_path.find_last_of(L"\\/:");
    std::wstring title =
        executable_path.substr(name_start == std::wstring::npos ? 0 : name_start + 1);
    title = title.substr(0, title.find(L'.'));
    if (title.size() < 2) return title;
    // The first character stays as it is; a surrogate pair counts as one.
    const std::size_t first = IS_HIGH_SURROGATE(title[0]) ? 2 : 1;
    if (title.size() > first)
        CharLowerBuffW(title.data() + first, static_cast<DWORD>(title.size() - first));
    return title;
}

}  // namespace tavrel::win32
