#include "collect/batch_merge.h"

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
// Below this many paths a batch is keyed whole: leaving out a shared part would
// save less than finding out whether the collation allows it costs.
constexpr std::size_t kTrimFrom = 4096;

// The collation keys of a stretch of the batch, end to end in blocks of a
// fixed size: one allocation for many paths instead of one for every path, and
// no block ever moves, so no key is copied again and memory grows by a block at
// a time, never by doubling.
class KeyedStretch {
public:
    explicit KeyedStretch(std::size_t first, std::size_t count) : first_(first) {
        keys_.reserve(count);
    }

    void Add(std::string_view key) {
        if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < key.size()) {
            blocks_.emplace_back();
            blocks_.back().reserve(std::max(kBlockSize, key.size()));
        }
        std::string& block = blocks_.back();
        const std::size_t at = block.size();
        block.append(key);
        keys_.emplace_back(block.data() + at, key.size());
    }

    std::string_view Key(std::size_t index) const { return keys_[index - first_]; }

private:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    std::size_t first_;  // index of the stretch's first path in the batch
    std::vector<std::string> blocks_;
    std::vector<std::string_view> keys_;
};

// How many leading bytes every path of the batch shares and the sort may leave
// out: the shared part up to its last "/" (the "/" itself stays in), where the
// ordering allows it; 0 otherwise.
std::size_t SharedLeadingPart(const PendingList& batch, const TextOrdering& ordering) {
    if (batch.size() < kTrimFrom || !ordering.OrdersTailsFromSlash()) return 0;
    std::string_view shared = batch.front();
    for (const auto& path : batch) {
        std::size_t same = 0;
        const std::size_t most = std::min(shared.size(), path.size());
        while (same < most && shared[same] == path[same]) ++same;
        shared = shared.substr(0, same);
        if (shared.empty()) return 0;
    }
    const auto slash = shared.rfind('/');
    return slash == std::string_view::npos ? 0 : slash;
}

// Computes the keys of batch[first, last), less their first `skip` bytes, and
// sorts those indices by key, then by the paths' bytes, into order[first, last).
void SortStretch(const PendingList& batch, const TextOrdering& ordering, std::size_t skip,
                 std::size_t first, std::size_t last, KeyedStretch& stretch,
                 std::vector<std::size_t>& order) {
    std::string key;
    for (std::size_t i = first; i < last; ++i) {
        key.clear();
        ordering.AppendSortKey(std::string_view(batch[i]).substr(skip), key);
        stretch.Add(key);
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
    // Paths of one dropped folder share its path; keys of the rest are shorter
    // and quicker to make, and order the paths just the same.
    const std::size_t size = batch.size();
    const std::size_t skip = SharedLeadingPart(batch, ordering);
    std::vector<std::size_t> order(size);
    if (size < kParallelFrom || std::thread::hardware_concurrency() < 2) {
        KeyedStretch all(0, size);
        SortStretch(batch, ordering, skip, 0, size, all, order);
    } else {
        const std::size_t middle = size / 2;
        KeyedStretch low(0, middle);
        KeyedStretch high(middle, size - middle);
        auto sort_high = [&] { SortStretch(batch, ordering, skip, middle, size, high, order); };
        std::thread helper;
        try {
            helper = std::thread(sort_high);
        } catch (const std::system_error&) {
            // No thread to be had: the same work, one half after the other.
        }
        SortStretch(batch, ordering, skip, 0, middle, low, order);
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
    // Moves batch[order[i]] to place i, cycle by cycle of the permutation, so
    // that no second list of the paths is needed.
    std::vector<bool> placed(size);
    for (std::size_t start = 0; start < size; ++start) {
        if (placed[start]) continue;
        std::string carried = std::move(batch[start]);
        for (std::size_t at = start;;) {
            placed[at] = true;
            const std::size_t from = order[at];
            if (from == start) {
                batch[at] = std::move(carried);
                break;
            }
            batch[at] = std::move(batch[from]);
            at = from;
        }
    }
}

std::vector<std::size_t> MergeSortedBatch(FileList& file_list, PendingList& batch) {
    auto removed = file_list.RemoveFirstMatches(batch);
    file_list.AppendAll(batch);
    batch.clear();
    return removed;
}

}  // namespace tavrel
