#pragma once
// The texts about the journals of rename runs, for the command line and both
// windows: the one run that cannot be undone later, the offer to undo a run,
// and the files an undo left as they are.

#include <cstddef>
#include <cstdint>
#include <string>

#include "pass/stored_run_undo.h"

namespace tavrel {

// Said once for a run whose journal could not be written.
std::string JournalLostText(const std::string& journal_folder);

// A run's time in local time, "2026-12-08 21:05".
std::string RunTimeText(std::int64_t utc_seconds);

// "Undo the rename run of <time>: <n> files in <folder>?"
std::string UndoOfferText(const StoredRun& run);

// One line for a file an undo left as it is (no line feed).
std::string KeptRenameLine(const KeptRename& kept);

// "<n> files of the rename run of <time> in <folder> have their old names again."
std::string NamedBackText(std::size_t named_back, const StoredRun& run);

// There is no run left to undo.
std::string NothingToUndoText(const std::string& journal_folder);

}  // namespace tavrel
