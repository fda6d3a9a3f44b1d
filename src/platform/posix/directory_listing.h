#pragma once
// Reading a directory whole on Linux.

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace tavrel {

// The directory's identity and entries, as FileSystem::ReadDirectory describes
// them. Each entry says whether it is a directory and whether it is a link,
// from the type the directory reports (asked of the entry itself where the
// file system does not say); a link counts as a directory when it leads to
// one.
std::optional<DirectoryListing> ListDirectory(const std::string& path, LastStepLink link);

}  // namespace tavrel
