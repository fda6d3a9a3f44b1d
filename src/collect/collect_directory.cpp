#include "collect/collect_directory.h"

#include <vector>

#include "platform/name_rules.h"

namespace tavrel {

void CollectDirectory(const std::string& directory, PendingList& pending, FileSystem& file_system) {
    // An explicit stack instead of recursion, so a very deep tree cannot exhaust
    // the call stack. Each level holds its directory's listing, read whole.
    struct Level {
        std::string base;
        DirectoryListing listing;
        std::size_t next = 0;
    };
    std::vector<Level> descent;

    auto enter = [&](std::string path) {
        auto listing = file_system.ReadDirectory(path);
        if (!listing) return;
        for (const auto& level : descent)
            if (level.listing.device == listing->device && level.listing.inode == listing->inode)
                return;  // a link back to a directory on this descent: a cycle
        if (path.empty() || path.back() != kDirectorySeparator) path += kDirectorySeparator;
        descent.push_back(Level{std::move(path), std::move(*listing)});
    };

    enter(directory);
    while (!descent.empty()) {
        Level& level = descent.back();
        if (level.next == level.listing.entries.size()) {
            descent.pop_back();
            continue;
        }
        DirectoryEntry& entry = level.listing.entries[level.next++];
        if (entry.name == "." || entry.name == "..") continue;
        std::string path = level.base + entry.name;
        if (entry.is_directory)
            enter(std::move(path));  // may reallocate `descent`: `level` is not used after
        else
            pending.push_back(std::move(path));
    }
}

}  // namespace tavrel
