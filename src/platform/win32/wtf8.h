#pragma once
// Conversion between the core's path strings and Windows' UTF-16 strings. The
// core holds UTF-8; a lone surrogate, which a Windows name may hold, is kept in
// the generalised form WTF-8 (encoded like any other code point), so every name
// Windows can hold converts back to exactly the same UTF-16 text.

#include <string>
#include <string_view>

namespace tavrel::win32 {

// UTF-16 to WTF-8: pairs become four-byte sequences, lone surrogates three-byte ones.
std::string ToWtf8(std::wstring_view text);

// WTF-8 to UTF-16. A byte that begins no valid sequence (which no Windows name
// gives) becomes U+FFFD; a three-byte surrogate sequence becomes that lone
// surrogate again, even when two of them stand side by side.
std::wstring FromWtf8(std::string_view text);

}  // namespace tavrel::win32
