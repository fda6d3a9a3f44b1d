#pragma once
// Shared by the benchmarks that compare paths: the text orderings, made once per
// locale, and deterministic path sets - the same paths in the same order on
// every run, so that runs can be compared.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/icu_text_ordering.h"
#include "platform/text_ordering.h"

namespace tavrel::bench {

// The ICU ordering for a POSIX locale name, made on first use and kept: making a
// collator loads its tables, which is no part of what is measured.
inline const TextOrdering& OrderingFor(const std::string& locale_name) {
    static std::map<std::string, std::unique_ptr<TextOrdering>> orderings;
    auto& ordering = orderings[locale_name];
    if (!ordering) ordering = MakeIcuTextOrdering(locale_name);
    return *ordering;
}

// Paths number first .. first + count - 1, as a camera import leaves them:
// 500 pictures per folder, "/data/folder00012/IMG_0006001.jpg".
inline std::vector<std::string> NumberedPaths(std::size_t first, std::size_t count) {
    std::vector<std::string> paths;
    paths.reserve(count);
    char buffer[64];
    for (std::size_t n = first; n < first + count; ++n) {
        std::snprintf(buffer, sizeof buffer, "/data/folder%05zu/IMG_%07zu.jpg", n / 500, n);
        paths.emplace_back(buffer);
    }
    return paths;
}

// Puts the paths in an order fixed by the seed: a directory scan hands them over
// in no useful order, and a sort of sorted input would flatter the sort.
inline void Shuffle(std::vector<std::string>& paths, unsigned seed) {
    std::mt19937 generator(seed);
    std::shuffle(paths.begin(), paths.end(), generator);
}

}  // namespace tavrel::bench
