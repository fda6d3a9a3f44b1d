#pragma once
// The system's "ANSI" code page, in which the settings file is read (when it has
// no byte-order mark) and written. On Linux this is UTF-8, and text passes
// unchanged; on Windows it is the code page of GetACP(), 932 on a Japanese
// desktop.

#include <string>
#include <string_view>

namespace tavrel {

// Bytes in the ANSI code page as the core's UTF-8 text.
std::string FromAnsiCodePage(std::string_view bytes);

// The core's UTF-8 text as bytes in the ANSI code page.
std::string ToAnsiCodePage(std::string_view text);

}  // namespace tavrel
