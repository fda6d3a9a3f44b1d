#pragma once
// Walking a directory for every file beneath it.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "collect/file_list.h"
#include "platform/file_system.h"

namespace tavrel {

// Appends every file beneath the directory, at any depth, to the pending list,
// depth first in the file system's own order: hidden files included, "." and
// ".." skipped, directories themselves never listed. The directory given is
// walked even when it is a symbolic link; a link to a directory found inside the
// walk is neither entered nor listed (a link to a file is listed like a file).
// A directory met again further down the same descent (a folder mounted inside
// itself) is not entered twice, so the walk always ends. Where the file system
// makes identities up (DirectoryListing::identities_made_up), a directory is
// taken for one on its descent when it holds the same names of the same kinds
// and its files have the same last-write times. A directory that cannot
// be read adds nothing, and nothing is reported. Paths are base + name, where
// the base is the given path with kDirectorySeparator appended unless it
// already ends in one.
//
// A walk that a window waits for reports how far it got and can be stopped:
// when the stop flag is set it ends at once, leaving what it listed so far; progress is told the
// pending list's length after each directory read.
struct WalkEvents {
    const std::atomic<bool>* stop = nullptr;
    std::function<void(std::size_t listed)> progress;
};
void CollectDirectory(const std::string& directory, PendingList& pending, FileSystem& file_system,
                      const WalkEvents& events = {});

}  // namespace tavrel
