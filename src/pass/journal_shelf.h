#pragma once
// The journals of rename runs in the user's journal folder: their file names,
// which ones are kept, the newest run left to undo, and marking a run undone.
// A journal's file is named "run-<sequence>.journal", the sequence ten digits
// that grow from one run to the next, so that names sort as runs started.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pass/journal_format.h"
#include "platform/journal_folder.h"

namespace tavrel {

// How many runs' journals are kept, the newest one included.
inline constexpr std::size_t kJournalsKept = 20;

// A journal read back from the folder.
struct StoredRun {
    std::string name;  // its file name in the folder
    JournalContents contents;
};

// The journals' file names in the folder, oldest first; files of other names
// are not journals.
std::vector<std::string> JournalNames(JournalFolder& folder);

// Makes the folder and creates the journal of a new run in it, after removing
// the oldest journals so that with the new one kJournalsKept remain; `name`
// gets its file name. Null, with `error` set, when it cannot.
std::unique_ptr<AppendingFile> StartJournal(JournalFolder& folder, std::string& name, int& error);

// The newest run that has renames left to undo; empty when none has.
std::optional<StoredRun> NewestRunToUndo(JournalFolder& folder);

// Records in a run's journal that an undo went through its renames from the
// last one back, so that `left_to_undo` remain. Returns 0 or the error number.
int MarkUndone(JournalFolder& folder, const std::string& name, std::size_t left_to_undo);

}  // namespace tavrel
