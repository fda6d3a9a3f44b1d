// The two keys every path in the file list is given: the case-folded key that
// finds an entry again, and the collation sort key that orders a batch. Both are
// taken once or twice per path on every merge, so their cost per path sets the
// cost of dropping many files at once.
//
// Each runs with the root collation ("C") and the Japanese one, on an ASCII path
// (the folding fast path), a Japanese path and a German path with letters that
// fold to more than one ("ß" folds to "ss").

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "bench_support.h"
#include "platform/text_ordering.h"

namespace {

constexpr std::string_view kAscii = "/home/user/Pictures/2011/IMG_0001.JPG";
constexpr std::string_view kJapanese = "/home/user/写真/2011年/京都旅行の写真_0001.jpeg";
constexpr std::string_view kGerman = "/home/user/Bilder/Größe/ÜBERSICHT_Straße_0001.JPG";

// One key of one path, made over and over.
using KeyOf = std::string (tavrel::TextOrdering::*)(std::string_view) const;
void MakeKeys(benchmark::State& state, KeyOf key_of, const char* locale_name,
              std::string_view path) {
    const tavrel::TextOrdering& ordering = tavrel::bench::OrderingFor(locale_name);
    for (auto _ : state) {
        benchmark::DoNotOptimize(path);
        auto key = (ordering.*key_of)(path);
        benchmark::DoNotOptimize(key);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(path.size()));
}

// TextOrdering::FoldKey. The folding does not depend on the locale, so the two
// locales should agree; a gap between them would point at the collator being
// touched where it need not be.
void BM_FoldKey(benchmark::State& state, const char* locale_name, std::string_view path) {
    MakeKeys(state, &tavrel::TextOrdering::FoldKey, locale_name, path);
}
BENCHMARK_CAPTURE(BM_FoldKey, C_ascii, "C", kAscii);
BENCHMARK_CAPTURE(BM_FoldKey, C_japanese, "C", kJapanese);
BENCHMARK_CAPTURE(BM_FoldKey, C_german, "C", kGerman);
BENCHMARK_CAPTURE(BM_FoldKey, ja_ascii, "ja_JP.UTF-8", kAscii);
BENCHMARK_CAPTURE(BM_FoldKey, ja_japanese, "ja_JP.UTF-8", kJapanese);
BENCHMARK_CAPTURE(BM_FoldKey, ja_german, "ja_JP.UTF-8", kGerman);

// TextOrdering::SortKey: conversion to UTF-16 and the collator's sort key.
void BM_SortKey(benchmark::State& state, const char* locale_name, std::string_view path) {
    MakeKeys(state, &tavrel::TextOrdering::SortKey, locale_name, path);
}
BENCHMARK_CAPTURE(BM_SortKey, C_ascii, "C", kAscii);
BENCHMARK_CAPTURE(BM_SortKey, C_japanese, "C", kJapanese);
BENCHMARK_CAPTURE(BM_SortKey, C_german, "C", kGerman);
BENCHMARK_CAPTURE(BM_SortKey, ja_ascii, "ja_JP.UTF-8", kAscii);
BENCHMARK_CAPTURE(BM_SortKey, ja_japanese, "ja_JP.UTF-8", kJapanese);
BENCHMARK_CAPTURE(BM_SortKey, ja_german, "ja_JP.UTF-8", kGerman);

}  // namespace
