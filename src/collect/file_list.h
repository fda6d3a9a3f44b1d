#pragma once
// The file list: the ordered paths the rename pass works through, in the order
// their batches arrived, with an index of letter-case-folded keys beside it so
// that finding an entry again does not search the whole list. The index is
// brought up to date only when a batch is merged into a list that already holds
// entries, and then covers just the entries appended since the last time; it is
// dropped when the rename pass rewrites the entries. A command-line run, which
// merges one batch into an empty list, never pays for it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text_ordering.h"

namespace tavrel {

// The pending list: the paths of one drop or one command line, in the order they
// were found, duplicates allowed.
using PendingList = std::vector<std::string>;

class FileList {
public:
    // The ordering decides which entries count as equal (letter case ignored).
    explicit FileList(const TextOrdering& ordering) : ordering_(ordering) {}

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::string& operator[](std::size_t index) const { return entries_[index].path; }

    void Clear();
    // Appends one path at the end.
    void Append(std::string path);
    // Appends every path, in order; the paths are moved from.
    void AppendAll(std::vector<std::string>& paths);
    // Replaces the text of one entry; it keeps its place in the list.
    void Replace(std::size_t index, std::string path) { Exchange(index, std::move(path)); }
    // Replaces the text of one entry and hands back the text it had.
    std::string Exchange(std::size_t index, std::string path);
    // Removes the entries at the given indices (any order, duplicates ignored).
    void RemoveAt(std::vector<std::size_t> indices);

    // Removes the first entry (from the top) equal to each path, letter case
    // ignored: one entry per path, so a path brought twice removes two entries.
    // Returns the positions the removed entries had, ascending. Costs time in
    // proportion to the number of paths, plus one pass over the list when the
    // index has to be built or something was removed.
    std::vector<std::size_t> RemoveFirstMatches(const std::vector<std::string>& paths);

private:
    struct Entry {
        std::string path;
        std::uint64_t serial;  // grows with the position in the list
    };

    std::uint64_t KeyHash(std::string_view path) const;
    std::size_t PositionOf(std::uint64_t serial) const;
    // Indexes the entries appended since the last time.
    void UpdateIndex();
    void DropIndex();
    void Unindex(std::size_t index);
    // Erases the entries at the given positions (ascending, unique) in one pass.
    void EraseSorted(const std::vector<std::size_t>& positions);

    const TextOrdering& ordering_;
    std::vector<Entry> entries_;
    // Hash of an entry's folded key -> the serials of the entries with that
    // hash, for the entries whose serial lies below indexed_end_ (the others were
    // appended since the index was last brought up to date).
    std::unordered_multimap<std::uint64_t, std::uint64_t> index_;
    std::uint64_t indexed_end_ = 0;
    std::uint64_t next_serial_ = 0;
};

}  // namespace tavrel
