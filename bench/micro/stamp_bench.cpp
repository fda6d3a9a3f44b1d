// Stamp rendering: the work done once per file on every rename, after the file's
// last-write time has been read. Rendering goes through the pattern language and
// three passes of splitting and joining, so it allocates a good deal for a
// sixteen-character result.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/regional_formats.h"
#include "stamp/stamp_text.h"

namespace {

using tavrel::RegionalFormats;
using tavrel::StampTime;

// 2011-09-14 (a Wednesday) at 15:30:22, and the same day at midnight: at midnight
// the date is rendered alone, found short of fields and rendered again with the
// time, so it is the slow path of type 2.
constexpr StampTime kAfternoon{2011, 9, 14, 15, 30, 22, 3};
constexpr StampTime kMidnight{2011, 9, 14, 0, 0, 0, 3};

// StampTextFor(time, type, formats) with the reference formats; the argument is
// the stamp type (1: "YYYYMMDD_", 2: "YYYYMMDD-hhmmss_").
void BM_StampTextFor(benchmark::State& state, StampTime time) {
    const RegionalFormats formats = RegionalFormats::Reference();
    const int stamp_type = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(time);
        auto stamp = tavrel::StampTextFor(time, stamp_type, formats);
        benchmark::DoNotOptimize(stamp);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_StampTextFor, afternoon, kAfternoon)->ArgName("type")->Arg(1)->Arg(2);
BENCHMARK_CAPTURE(BM_StampTextFor, midnight, kMidnight)->ArgName("type")->Arg(1)->Arg(2);

// ToStampTime over last-write times spread across the stamp's range (1980 to
// 2107), so the conversion cannot live off one cached result. One item is one
// conversion.
void BM_ToStampTime(benchmark::State& state) {
    std::vector<std::int64_t> times;
    // 1980-01-01 00:00:00 UTC, then steps of about 97 days and 7 hours.
    for (std::int64_t t = 315532800; t < 4354819200; t += 8'410'807) times.push_back(t);
    std::size_t next = 0;
    for (auto _ : state) {
        auto time = tavrel::ToStampTime(times[next]);
        benchmark::DoNotOptimize(time);
        if (++next == times.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToStampTime);

// The whole per-file stamp step after the time has been read: conversion and
// rendering together, as MakeStampText does them, for one fixed recent time.
void BM_ToStampTimeAndText(benchmark::State& state) {
    const RegionalFormats formats = RegionalFormats::Reference();
    const int stamp_type = static_cast<int>(state.range(0));
    std::int64_t utc_seconds = 1315981822;  // 2011-09-14 15:30:22 in Tokyo
    for (auto _ : state) {
        benchmark::DoNotOptimize(utc_seconds);
        auto stamp = tavrel::StampTextFor(*tavrel::ToStampTime(utc_seconds), stamp_type, formats);
        benchmark::DoNotOptimize(stamp);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToStampTimeAndText)->ArgName("type")->Arg(1)->Arg(2);

}  // namespace
