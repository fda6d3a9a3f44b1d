#pragma once
// Reading a text as a 32-bit integer, the way stamps and the settings file do.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrel {

// Leading spaces (U+0020 only), an optional sign, then decimal digits or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X"; nothing may
// follow. Decimal values must fit a signed 32-bit integer; hexadecimal values may
// reach FFFFFFFF and are taken as two's complement before the sign applies.
// Empty for an unreadable text, the empty text included.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace tavrel
