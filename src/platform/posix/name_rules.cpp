#include "platform/name_rules.h"

namespace tavrel {

const std::string_view kPathSeparators = "/";
const char kDirectorySeparator = '/';
const std::string_view kForbiddenNameCharacters = "/";

}  // namespace tavrel
