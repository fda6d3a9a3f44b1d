#include "collect/collect_directory.h"

#include <algorithm>
#include <vector>

#include "platform/name_rules.h"

namespace tavrel {
namespace {

// A listing's entries as names and kinds, sorted: what two listings of one
// directory share whatever order the file system gives them in.
std::vector<std::string> SortedNamesAndKinds(const DirectoryListing& listing) {
    std::vector<std::string> names;
    names.reserve(listing.entries.size());
    for (const auto& entry : listing.entries) {
        if (entry.name == "." || entry.name == "..") continue;
        names.push_back(entry.name + (entry.is_directory ? "/" : "") + (entry.is_link ? "@" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Where identities are made up, a directory that repeats an ancestor (a link
// to it on the server, shown as a plain folder) is told by its contents: the
// same names of the same kinds, and every file with the same last-write time.
// The times are read only when the names agree, which in a real tree is rare.
bool SameContents(const std::string& base, const std::vector<std::string>& names,
                  const std::string& other_base, const std::vector<std::string>& other_names,
                  FileSystem& file_system) {
    if (names != other_names) return false;
    for (const auto& name : names) {
        if (name.back() == '/') continue;
        const std::string file = name.back() == '@' ? name.substr(0, name.size() - 1) : name;
        if (file_system.ReadLastWriteTime(base + file) !=
            file_system.ReadLastWriteTime(other_base + file))
            return false;
    }
    return true;
}

}  // namespace

void CollectDirectory(const std::string& directory, PendingList& pending, FileSystem& file_system,
                      const WalkEvents& events) {
    // An explicit stack instead of recursion, so a very deep tree cannot exhaust
    // the call stack. Each level holds its directory's listing, read whole.
    struct Level {
        std::string base;
        DirectoryListing listing;
        std::size_t next = 0;
        std::vector<std::string> names;  // SortedNamesAndKinds, where identities are made up
    };
    std::vector<Level> descent;

    auto enter = [&](std::string path, LastStepLink link) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) return;
        if (events.progress) events.progress(pending.size());
        auto listing = file_system.ReadDirectory(path, link);
        if (!listing) return;
        if (path.empty() || path.back() != kDirectorySeparator) path += kDirectorySeparator;
        std::vector<std::string> names;
        if (listing->identities_made_up) names = SortedNamesAndKinds(*listing);
        // A directory on this descent met again (a bind mount, a link on a
        // server) is a cycle: it is not entered.
        for (const auto& level : descent) {
            if (listing->identities_made_up
                    ? SameContents(path, names, level.base, level.names, file_system)
                    : level.listing.device == listing->device &&
                          level.listing.inode == listing->inode)
                return;
        }
        descent.push_back(Level{std::move(path), std::move(*listing), 0, std::move(names)});
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
