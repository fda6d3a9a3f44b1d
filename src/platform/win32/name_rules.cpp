#include "platform/name_rules.h"

namespace tavrel {

// A backslash ends a directory, a colon a drive ("C:notes.txt"); a forward
// slash ends a directory too, as Windows itself takes it ("C:/Photos/a.jpg",
// as scripts and other shells write paths). The walk joins names with a
// backslash.
const std::string_view kPathSeparators = "\\/:";
const char kDirectorySeparator = '\\';
const std::string_view kForbiddenNameCharacters = "\\/:*?\"<>|";

bool IsAbsolutePath(std::string_view path) {
    if (!path.empty() && (path.front() == '\\' || path.front() == '/')) return true;
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace tavrel
