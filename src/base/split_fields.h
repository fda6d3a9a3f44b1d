#pragma once
// Cutting a text into fields at one delimiter character.

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Splits text into fields at the delimiter. Blanks (bytes 1 to 32) also end a
// field and are skipped around fields; a field that begins with a double quote
// runs to the next single (undoubled) quote, a doubled quote inside standing for
// one; the text ends at its first NUL. A delimiter that is the text's very last
// character adds a final empty field. Works on bytes: every byte of a multi-byte
// UTF-8 character is above 127, so it is never taken for a blank or delimiter.
std::vector<std::string> SplitFields(std::string_view text, char delimiter);

}  // namespace tavrel
