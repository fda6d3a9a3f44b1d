#pragma once
// Walking a directory for every file beneath it.

#include <string>

#include "collect/file_list.h"
#include "platform/file_system.h"

namespace tavrel {

// Appends every file beneath the directory, at any depth, to the pending list,
// depth first in the file system's own order: hidden files included, "." and
// ".." skipped, directories themselves never listed. Links to directories are
// walked, except into a directory that is already being walked further up the
// same descent, so link cycles end. A directory that cannot be read adds
// nothing, and nothing is reported. Paths are base + name, where the base is the
// given path with kDirectorySeparator appended unless it already ends in one.
void CollectDirectory(const std::string& directory, PendingList& pending, FileSystem& file_system);

}  // namespace tavrel
