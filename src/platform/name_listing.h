#pragma once
// The last resort of FileSystem::IsNameTaken, the same on every platform.

#include <string>

#include "platform/file_system.h"

namespace tavrel {

// Looks for the path's name in a listing of its directory (the path up to and
// including its last separator, see kPathSeparators; "." when it has none), for
// a name whose own attributes cannot be read. True when an entry of that name
// is there and is no directory (nor a link to one); false when there is none,
// or the directory cannot be read.
bool IsNameTakenInListing(FileSystem& file_system, const std::string& path);

}  // namespace tavrel
