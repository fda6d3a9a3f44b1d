#include "platform/code_page.h"

namespace tavrel {

// Linux desktops use UTF-8 throughout: the text is taken as it is.
std::string FromAnsiCodePage(std::string_view bytes) {
    return std::string(bytes);
}

std::string ToAnsiCodePage(std::string_view text) {
    return std::string(text);
}

}  // namespace tavrel
