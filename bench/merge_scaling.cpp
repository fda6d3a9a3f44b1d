// A drop's sort and merge alone (SortBatch, then MergeSortedBatch, as the window
// and the command line do): a batch of BATCH paths, half of them already listed,
// merged into a file list that holds LIST paths. Prints the seconds they took, the
// process's peak resident memory in MB and the number of entries afterwards.
//
//   bench_merge LIST BATCH

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "collect/batch_merge.h"
#include "collect/file_list.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/process_environment.h"
#include "platform/process.h"
#include "platform/text_ordering.h"

namespace {

std::string PathOf(std::size_t number) {
    char path[64];
    std::snprintf(path, sizeof path, "/home/user/Pictures/folder%05zu/IMG_%07zu.jpg", number / 1000,
                  number);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: bench_merge LIST BATCH\n", stderr);
        return 2;
    }
    const std::size_t list_size = std::strtoull(argv[1], nullptr, 10);
    const std::size_t batch_size = std::strtoull(argv[2], nullptr, 10);
    const auto ordering = tavrel::MakeIcuTextOrdering(tavrel::LocaleNameFor("LC_COLLATE"));

    tavrel::FileList list(*ordering);
    {
        tavrel::PendingList first;
        first.reserve(list_size);
        for (std::size_t i = 0; i < list_size; ++i) first.push_back(PathOf(i));
        tavrel::SortBatch(first, *ordering);
        tavrel::MergeSortedBatch(list, first);
    }
    // Half the batch brings listed paths again (every other one, some in other
    // letter case), the other half is new; in the order a walk might give.
    tavrel::PendingList batch;
    batch.reserve(batch_size);
    for (std::size_t i = 0; i < batch_size; ++i) {
        if (i % 2 == 0 && list_size > 0) {
            std::string again = PathOf((i * 2) % list_size);
            if (i % 10 == 0) std::transform(again.begin(), again.end(), again.begin(), ::toupper);
            batch.push_back(std::move(again));
        } else {
            batch.push_back(PathOf(list_size + i));
        }
    }
    std::shuffle(batch.begin(), batch.end(), std::mt19937_64(20261207));

    const auto start = std::chrono::steady_clock::now();
    tavrel::SortBatch(batch, *ordering);
    tavrel::MergeSortedBatch(list, batch);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.1f %zu\n", took.count(), usage.ru_maxrss / 1024.0, list.size());
    return 0;
}
