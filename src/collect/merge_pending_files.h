#pragma once
// Merging one batch of paths into the file list.

#include "collect/file_list.h"
#include "platform/text_ordering.h"

namespace tavrel {

// Sorts a batch in the user's collation order, letter case ignored; paths that
// collate equal are ordered by their bytes, so every run gives the same order.
void SortBatch(PendingList& batch, const TextOrdering& ordering);

// Removes from the file list every path the batch brings again (letter case
// ignored), sorts the batch and appends it. The batch's paths are moved into the
// list, so the pending list is left empty. Returns the positions the removed
// entries had (ascending).
std::vector<std::size_t> MergePendingFiles(FileList& file_list, PendingList& pending,
                                           const TextOrdering& ordering);

}  // namespace tavrel
