#include "platform/letter_case.h"

#include <windows.h>

#include "platform/win32/wtf8.h"

namespace tavrel {

std::string LowerCase(std::string_view text) {
    std::wstring wide = win32::FromWtf8(text);
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return win32::ToWtf8(wide);
}

}  // namespace tavrel
