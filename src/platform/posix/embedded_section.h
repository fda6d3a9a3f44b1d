#pragma once
// Reads a named section out of an executable file on disk. Tavrel's build puts
// its version record into such a section, so the version can be read from the
// program file itself, whichever copy of the program is running.

#include <optional>
#include <string>

namespace tavrel {

// The bytes of the section with the given name in the 64-bit ELF file at the
// path. Empty when the file cannot be read, is not such a file, or has no
// section of that name.
std::optional<std::string> ReadEmbeddedSection(const std::string& path, const std::string& name);

}  // namespace tavrel
