#pragma once
// A batch of paths (one drop, one command line) into the file list: sorted,
// then merged.

#include <cstddef>
#include <vector>

#include "collect/file_list.h"
#include "platform/text_ordering.h"

namespace tavrel {

// Sorts a batch in the user's collation order, letter case ignored; paths that
// collate equal are ordered by their bytes, so every run gives the same order.
void SortBatch(PendingList& batch, const TextOrdering& ordering);

// Merges a sorted batch into the file list: removes from the list every path
// the batch brings again (letter case ignored; a path brought twice removes
// two entries), then appends the batch in its order. Which entries go does
// not depend on the batch's order, so it may be sorted before. The batch's
// paths are moved into the list and the batch is left empty. Returns the
// positions the removed entries had before, ascending.
std::vector<std::size_t> MergeSortedBatch(FileList& file_list, PendingList& batch);

}  // namespace tavrel
