// Sorting a batch of dropped paths and merging it into the file list (SortBatch,
// then MergeSortedBatch, as the window and the command line do), and the sort
// alone: the work that stands between a drop of many files and the list
// showing them. Batches of 1k, 10k and 100k paths; the complexity fit over the three
// sizes shows whether the cost grows with the batch (it should, roughly as
// n log n from the sort) or worse.
//
// The merge takes its batch by moving the paths out and changes the list, so
// every iteration needs fresh copies. They are made outside the measured span
// and the span is timed by hand (UseManualTime): pausing the benchmark's own
// timer twice per iteration would cost more than a 1k merge.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "bench_support.h"
#include "collect/batch_merge.h"
#include "collect/file_list.h"

namespace {

using tavrel::FileList;
using tavrel::PendingList;
using tavrel::bench::NumberedPaths;
using tavrel::bench::OrderingFor;
using tavrel::bench::Shuffle;

// The merge runs under the Japanese collation, the reference desktop's.
constexpr const char* kMergeLocale = "ja_JP.UTF-8";

// The sort and merge of a drop, as the window and the command line make them.
void SortAndMerge(FileList& list, PendingList& batch, const tavrel::TextOrdering& ordering) {
    tavrel::SortBatch(batch, ordering);
    tavrel::MergeSortedBatch(list, batch);
}

// Seconds that one call of the given function takes.
template <typename Function>
double SecondsOf(Function&& function) {
    const auto start = std::chrono::steady_clock::now();
    function();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void SetBatchCounters(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

// The first drop: the list is empty, so nothing is looked up; the batch is
// sorted and every path appended (one folded key and one index entry each).
void BM_MergeIntoEmpty(benchmark::State& state) {
    const auto& ordering = OrderingFor(kMergeLocale);
    const auto n = static_cast<std::size_t>(state.range(0));
    PendingList batch = NumberedPaths(0, n);
    Shuffle(batch, 1);
    for (auto _ : state) {
        FileList list(ordering);
        PendingList pending = batch;
        state.SetIterationTime(SecondsOf([&] { SortAndMerge(list, pending, ordering); }));
        if (list.size() != n) state.SkipWithError("the merged list has the wrong size");
    }
    SetBatchCounters(state);
}
BENCHMARK(BM_MergeIntoEmpty)
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A later drop: the list already holds n paths, and the batch of n brings half
// of them again (the other half is new). Every path of the batch is looked up,
// half of the list's entries are removed in one pass, and the batch is sorted
// and appended, so the list ends with 1.5 n paths.
void BM_MergeIntoFilled(benchmark::State& state) {
    const auto& ordering = OrderingFor(kMergeLocale);
    const auto n = static_cast<std::size_t>(state.range(0));
    FileList filled(ordering);
    {
        PendingList first = NumberedPaths(0, n);
        Shuffle(first, 1);
        SortAndMerge(filled, first, ordering);
    }
    PendingList batch = NumberedPaths(n / 2, n);
    Shuffle(batch, 2);
    for (auto _ : state) {
        FileList list = filled;
        PendingList pending = batch;
        state.SetIterationTime(SecondsOf([&] { SortAndMerge(list, pending, ordering); }));
        if (list.size() != n + n / 2) state.SkipWithError("the merged list has the wrong size");
    }
    SetBatchCounters(state);
}
BENCHMARK(BM_MergeIntoFilled)
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// SortBatch alone, under both collations: one sort key per path, then a sort of
// indices by key. Its share of the merge is the difference to the merges above.
void BM_SortBatch(benchmark::State& state, const char* locale_name) {
    const auto& ordering = OrderingFor(locale_name);
    PendingList batch = NumberedPaths(0, static_cast<std::size_t>(state.range(0)));
    Shuffle(batch, 1);
    for (auto _ : state) {
        PendingList pending = batch;
        state.SetIterationTime(SecondsOf([&] { tavrel::SortBatch(pending, ordering); }));
        benchmark::DoNotOptimize(pending.data());
    }
    SetBatchCounters(state);
}
BENCHMARK_CAPTURE(BM_SortBatch, C, "C")
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_SortBatch, ja, "ja_JP.UTF-8")
    ->RangeMultiplier(10)
    ->Range(1'000, 100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
