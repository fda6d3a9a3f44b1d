#include "collect/merge_pending_files.h"

#include <algorithm>
#include <numeric>

namespace tavrel {

void SortBatch(PendingList& batch, const TextOrdering& ordering) {
    // One collation key per path, computed once, instead of collating pairs of
    // paths over and over during the sort.
    std::vector<std::string> keys;
    keys.reserve(batch.size());
    for (const auto& path : batch) keys.push_back(ordering.SortKey(path));
    std::vector<std::size_t> order(batch.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a] != keys[b]) return keys[a] < keys[b];
        return batch[a] < batch[b];
    });
    PendingList sorted;
    sorted.reserve(batch.size());
    for (auto index : order) sorted.push_back(std::move(batch[index]));
    batch = std::move(sorted);
}

void MergePendingFiles(FileList& file_list, PendingList& pending, const TextOrdering& ordering) {
    file_list.RemoveFirstMatches(pending);
    SortBatch(pending, ordering);
    for (auto& path : pending) file_list.Append(std::move(path));
    pending.clear();
}

}  // namespace tavrel
