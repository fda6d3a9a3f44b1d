#pragma once
// The bytes of a rename run's journal. A journal is a sequence of records,
// each a kind letter, then its fields, each as " <length>:<bytes>", then a
// line feed. The lengths let any byte of a name through (line feeds, bytes
// that are no UTF-8), and a record cut short (a run killed during a write) is
// recognised and left out, with everything after it.
//
//   T  the header, first: format version, when (UTC seconds), the run's mode,
//      stamp type, working folder
//   R  one rename: the path before and the path after
//   U  an undo of the run: how many renames, from the first on, are left to
//      undo after it (the last U record counts)

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// What a journal's header says of its run.
struct JournalHeader {
    std::int64_t when = 0;  // seconds since the epoch, UTC
    std::string mode;       // "command line" or "window"
    int stamp_type = 0;
    std::string folder;  // the working folder of the run
    bool operator==(const JournalHeader&) const = default;
};

// One rename of a run.
struct JournalRename {
    std::string before;
    std::string after;
    bool operator==(const JournalRename&) const = default;
};

// A journal as read back.
struct JournalContents {
    JournalHeader header;
    std::vector<JournalRename> renames;  // in the order they were made
    // The renames, from the first on, still to undo: all of them until an
    // undo was recorded.
    std::size_t left_to_undo = 0;
};

// Append one record to `out`.
void AppendJournalHeader(std::string& out, const JournalHeader& header);
void AppendJournalRename(std::string& out, std::string_view before, std::string_view after);
void AppendJournalUndo(std::string& out, std::size_t left_to_undo);

// Reads a journal's bytes: the records up to the first one that is cut short
// or malformed. Empty when the bytes do not begin with a header of this
// format.
std::optional<JournalContents> ParseJournal(std::string_view bytes);

}  // namespace tavrel
