#include "platform/name_rules.h"

namespace tavrel {

const std::string_view kPathSeparators = "/";
const char kDirectorySeparator = '/';
const std::string_view kForbiddenNameCharacters = "/";

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

}  // namespace tavrel
