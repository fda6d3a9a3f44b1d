#pragma once
// The platform's rules for path and file names, used by name analysis, the
// directory walk and the stamp. Each platform side defines the constants:
// on Linux "/" is the only separator and the only character a name cannot hold
// ("\" and ":" are ordinary name characters there); on Windows "\" and ":"
// separate, and \ / : * ? " < > | cannot stand in a name.

#include <string_view>

namespace tavrel {

// Every character that ends a path's directory part: the file name is what
// follows the last of them.
extern const std::string_view kPathSeparators;

// The separator the walk puts between a directory and the names in it (unless
// the directory already ends in it).
extern const char kDirectorySeparator;

// The characters a file name cannot hold; any of them left in a stamp text
// becomes "-", so a rename can never move a file elsewhere or be refused for it.
extern const std::string_view kForbiddenNameCharacters;

}  // namespace tavrel
