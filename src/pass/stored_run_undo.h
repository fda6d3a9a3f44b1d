#pragma once
// Undoing a rename run kept in a journal: its renames left to undo named back
// with the undo pass, last renamed first and never replacing a file, then the
// journal marked, so that no undo renames a file of that run twice.

#include <string>
#include <vector>

#include "pass/journal_shelf.h"
#include "pass/undo_pass.h"
#include "platform/file_system.h"

namespace tavrel {

// A rename an undo left as it is.
struct KeptRename {
    JournalRename rename;
    // Why: the file is gone from its new path (deleted, or renamed again), or
    // else its old name is taken (or the rename back was refused).
    bool gone = false;
};

struct StoredRunUndoEnd {
    UndoEnd pass;                  // over the renames left to undo
    std::vector<KeptRename> kept;  // last renamed first
    int mark_error = 0;            // the journal could not be marked
};

// Names the run's files back through RunUndoPass (with its events and stop
// flag) and records in the journal how many renames remain (those an undo
// stopped part-way did not reach). Renames kept are left to undo no more.
StoredRunUndoEnd UndoStoredRun(JournalFolder& folder, const StoredRun& run, FileSystem& file_system,
                               const PassEvents& events = {});

}  // namespace tavrel
