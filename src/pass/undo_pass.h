#pragma once
// Naming the files of a rename pass back, last renamed first, with the events
// and stop flag of the pass itself.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "pass/stamp_pass.h"
#include "platform/file_system.h"

namespace tavrel {

// The renames to undo, in the order they were made: each file's path before
// the rename and after it.
struct UndoPaths {
    std::size_t count = 0;
    std::function<const std::string&(std::size_t rename)> before;
    std::function<const std::string&(std::size_t rename)> after;
};

// How an undo ended.
struct UndoEnd {
    // How many renames, from the last one back, it went through.
    std::size_t tried = 0;
    // For each rename, whether its file bears its old name again.
    std::vector<bool> named_back;
    bool stopped = false;  // the stop flag ended it early
};

// Names every file back to its old name, never replacing anything, last
// renamed first: a name the pass freed for a later file is free again when
// the earlier one goes back to it. A file whose old name is taken, or whose
// rename back is refused, keeps its new name. Tells each file named back
// through `renamed` (its paths as it was, and as it is) and the renames tried
// through `progress`; the stop flag ends it before the next file. The held
// directory is released however it ends.
UndoEnd RunUndoPass(const UndoPaths& renames, FileSystem& file_system,
                    const PassEvents& events = {});

}  // namespace tavrel
