#include "collect/collect_directory.h"

#include <vector>

#include "platform/name_rules.h"

namespace tavrel {

void CollectDirectory(const std::string& directory, PendingList& pending, FileSystem& file_system,
                      const WalkEvents& events) {
    // An explicit stack instead of recursion, so a very deep tree cannot exhaust
    // the call stack. Each level holds its directory's listing, read whole.
    struct Level {
        std::string base;
        DirectoryListing listing;
        std::size_t next = 0;
    };
    std::vector<Level> descent;

    auto enter = [&](std::string path, LastStepLink link) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) return;
        if (events.progress) events.progress(pending.size());
        auto listing = file_system.ReadDirectory(path, link);
        if (!listing) return;
        for (const auto& level : descent)
            if (level.listing.device == listing->device && level.listing.inode == listing->inode)
                return;  // a directory on this descent met again (a bind mount): a cycle
        if (path.empty() || path.back() != kDirectorySeparator) path += kDirectorySeparator;
        descent.push_back(Level{std::move(path), std::move(*listing)});
    };

    // The directory named is walked even when it is a link; below it, links to
    // directories are not entered, so a folder holding a link to "/" or to the
    // home folder never leads the walk outside it.
    enter(directory, LastStepLink::kFollow);
    while (!descent.empty()) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) return;
        Level& level = descent.back();
        if (level.next == level.listing.entries.size()) {
            descent.pop_back();
            continue;
        }
        DirectoryEntry& entry = level.listing.entries[level.next++];
        if (entry.name == "." || entry.name == "..") continue;
        std::string path = level.base + entry.name;
        if (entry.is_directory && entry.is_link) continue;
        if (entry.is_directory)
            enter(std::move(path), LastStepLink::kRefuse);  // may reallocate `descent`
        else
            pending.push_back(std::move(path));
    }
}

}  // namespace tavrel
