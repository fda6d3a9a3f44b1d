#include "platform/name_rules.h"

namespace tavrel {

// A backslash ends a directory, a colon a drive ("C:notes.txt"); a forward
// slash ends a directory too, as Windows itself takes it ("C:/Photos/a.jpg",
// as scripts and other shells write paths). The walk joins names with a
// backslash.
const std::string_view kPathSeparators = "\\/:";
const char kDirectorySeparator = '\\';
const std::string_view kForbiddenNameCharacters = "\\/:*?\"<>|";

}  // namespace tavrel
