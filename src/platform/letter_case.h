#pragma once
// Letter case as the desktop maps it, for texts the program shows.

#include <string>
#include <string_view>

namespace tavrel {

// The UTF-8 text in lower case. Bytes that are no valid UTF-8 become U+FFFD,
// as they do wherever such a text is shown.
std::string LowerCase(std::string_view text);

}  // namespace tavrel
