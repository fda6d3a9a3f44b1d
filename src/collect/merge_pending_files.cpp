#include "collect/merge_pending_files.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <system_error>
#include <thread>

namespace tavrel {
namespace {

// Below this many paths a batch is sorted on the calling thread alone.
constexpr std::size_t kParallelFrom = 8192;

// The collation keys of a stretch of the batch, end to end in one buffer: one
// allocation for the stretch instead of one for every path.
struct KeyedStretch {
    std::size_t first = 0;  // index of the stretch's first path in the batch
    std::string keys;
    std::vector<std::size_t> ends;  // where each path's key ends in `keys`

    std::string_view Key(std::size_t index) const {
        const std::size_t i = index - first;
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(keys).substr(begin, ends[i] - begin);
    }
};

// Computes the keys of batch[first, last) and sorts those indices by key, then
// by the paths' bytes, into order[first, last).
void SortStretch(const PendingList& batch, const TextOrdering& ordering, std::size_t first,
                 std::size_t last, KeyedStretch& stretch, std::vector<std::size_t>& order) {
    stretch.first = first;
    stretch.ends.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        ordering.AppendSortKey(batch[i], stretch.keys);
        stretch.ends.push_back(stretch.keys.size());
    }
    std::iota(order.begin() + first, order.begin() + last, first);
    std::sort(order.begin() + first, order.begin() + last, [&](std::size_t a, std::size_t b) {
        const int by_key = stretch.Key(a).compare(stretch.Key(b));
        if (by_key != 0) return by_key < 0;
        return batch[a] < batch[b];
    });
}

}  // namespace

void SortBatch(PendingList& batch, const TextOrdering& ordering) {
    // One collation key per path, computed once, instead of collating pairs of
    // paths over and over during the sort. A big batch is keyed and sorted in
    // two halves at once, on two threads, and the halves are then merged; the
    // order is the same as from one thread.
    const std::size_t size = batch.size();
    std::vector<std::size_t> order(size);
    if (size < kParallelFrom || std::thread::hardware_concurrency() < 2) {
        KeyedStretch all;
        SortStretch(batch, ordering, 0, size, all, order);
    } else {
        const std::size_t middle = size / 2;
        KeyedStretch low;
        KeyedStretch high;
        auto sort_high = [&] { SortStretch(batch, ordering, middle, size, high, order); };
        std::thread helper;
        try {
            helper = std::thread(sort_high);
        } catch (const std::system_error&) {
            // No thread to be had: the same work, one half after the other.
        }
        SortStretch(batch, ordering, 0, middle, low, order);
        if (helper.joinable())
            helper.join();
        else
            sort_high();
        auto key = [&](std::size_t index) {
            return index < middle ? low.Key(index) : high.Key(index);
        };
        std::vector<std::size_t> merged(size);
        std::merge(order.begin(), order.begin() + middle, order.begin() + middle, order.end(),
                   merged.begin(), [&](std::size_t a, std::size_t b) {
                       const int by_key = key(a).compare(key(b));
                       if (by_key != 0) return by_key < 0;
                       return batch[a] < batch[b];
                   });
        order = std::move(merged);
    }
    PendingList sorted;
    sorted.reserve(size);
    for (auto index : order) sorted.push_back(std::move(batch[index]));
    batch = std::move(sorted);
}

void MergePendingFiles(FileList& file_list, PendingList& pending, const TextOrdering& ordering) {
    file_list.RemoveFirstMatches(pending);
    SortBatch(pending, ordering);
    file_list.AppendAll(pending);
    pending.clear();
}

}  // namespace tavrel
