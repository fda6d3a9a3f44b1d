#include "platform/name_listing.h"

#include "platform/name_rules.h"

namespace tavrel {

bool IsNameTakenInListing(FileSystem& file_system, const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparators);
    const bool bare = separator == std::string::npos;
    const std::string directory = bare ? "." : path.substr(0, separator + 1);
    const std::string name = bare ? path : path.substr(separator + 1);
    const auto listing = file_system.ReadDirectory(directory, LastStepLink::kFollow);
    if (!listing) return false;
    for (const auto& entry : listing->entries)
        if (entry.name == name) return !entry.is_directory;
    return false;
}

}  // namespace tavrel
