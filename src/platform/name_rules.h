#pragma once
// The platform's rules for path and file names, used by name analysis, the
// directory walk and the stamp. Each platform side defines the constants:
// on Linux "/" is the only separator and the only character a name cannot hold
// ("\" and ":" are ordinary name characters there); on Windows "\" and ":"
// separate, and \ / : * ? " < > | cannot stand in a name.

#include <cstddef>
#include <string_view>

namespace tavrel {

// Every character that ends a path's directory part: the file name is what
// follows the last of them.
extern const std::string_view kPathSeparators;

// A path's folder text: everything up to and including its last separator;
// empty for a bare name. Paths with one folder text lie in one folder (two
// texts may still lead to one folder, through a link).
inline std::string_view FolderTextOf(std::string_view path) {
    const std::size_t separator = path.find_last_of(kPathSeparators);
    return path.substr(0, separator == std::string_view::npos ? 0 : separator + 1);
}

// The separator the walk puts between a directory and the names in it (unless
// the directory already ends in it).
extern const char kDirectorySeparator;

// The characters a file name cannot hold; any of them left in a stamp text
// becomes "-", so a rename can never move a file elsewhere or be refused for it.
extern const std::string_view kForbiddenNameCharacters;

// True when the path does not depend on the working folder: on Linux one
// that begins with "/"; on Windows one that begins with a separator (rooted,
// UNC or extended) or with a drive ("C:").
bool IsAbsolutePath(std::string_view path);

}  // namespace tavrel
