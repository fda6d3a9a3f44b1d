#pragma once
// Conversion between the core's UTF-8 text and a Windows code page.

#include <string>
#include <string_view>

namespace tavrel::win32 {

// Bytes in the given code page (932 for Japanese, for example) as WTF-8.
std::string FromCodePage(std::string_view bytes, unsigned code_page);

// WTF-8 text in the given code page; characters it lacks become its default character.
std::string ToCodePage(std::string_view text, unsigned code_page);

}  // namespace tavrel::win32
