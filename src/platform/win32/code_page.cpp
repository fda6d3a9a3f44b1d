#include "platform/win32/code_page.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/win32/wtf8.h"

namespace tavrel {
namespace win32 {

std::string FromCodePage(std::string_view bytes, unsigned code_page) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
    return ToWtf8(wide);
}

std::string ToCodePage(std::string_view text, unsigned code_page) {
    const std::wstring wide = FromWtf8(text);
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(code_page, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

}  // namespace win32

std::string FromAnsiCodePage(std::string_view bytes) {
    return win32::FromCodePage(bytes, ::GetACP());
}

std::string ToAnsiCodePage(std::string_view text) {
    return win32::ToCodePage(text, ::GetACP());
}

}  // namespace tavrel
