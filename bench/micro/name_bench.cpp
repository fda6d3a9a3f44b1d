// File name work done once per file on every rename: taking the path apart,
// recognising a stamp the name already bears, and putting the new name together.
// Each is a handful of string operations; the benchmarks show what the small
// allocations of the split parts cost next to the analysis itself.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "stamp/file_name.h"

namespace {

using tavrel::SplitPath;

// SplitPath::Of on typical paths: a camera picture, a name in Japanese (multi-
// byte UTF-8 in both directory and name), a file with no extension and a deep
// path whose parts outgrow the short-string buffer.
void BM_SplitPathOf(benchmark::State& state, std::string_view path) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(path);
        auto split = SplitPath::Of(path);
        benchmark::DoNotOptimize(split);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_SplitPathOf, camera,
                  std::string_view("/home/user/Pictures/2011/IMG_0001.jpg"));
BENCHMARK_CAPTURE(BM_SplitPathOf, japanese,
                  std::string_view("/home/user/写真/2011年/京都旅行の写真_0001.jpeg"));
BENCHMARK_CAPTURE(BM_SplitPathOf, no_extension, std::string_view("/home/user/Documents/README"));
BENCHMARK_CAPTURE(BM_SplitPathOf, deep,
                  std::string_view("/mnt/archive/photographs/family/2011/summer holiday in the "
                                   "mountains/day three/DSC_20110914_153022_0001.tar.gz"));

// SplitPath::Compose of the new name: without a collision tag (the usual case)
// and with one (after a name clash).
void BM_SplitPathCompose(benchmark::State& state, std::string_view collision_tag) {
    const SplitPath split = SplitPath::Of("/home/user/Pictures/2011/IMG_0001.jpg");
    std::string_view stamp = "20110914-153022_";
    for (auto _ : state) {
        benchmark::DoNotOptimize(stamp);
        auto path = split.Compose(stamp, collision_tag);
        benchmark::DoNotOptimize(path);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_SplitPathCompose, untagged, std::string_view());
BENCHMARK_CAPTURE(BM_SplitPathCompose, tagged, std::string_view(".k3Xq9"));

// RecognisedStampLength over the kinds of base name it meets: too short to be
// read, plain names, both stamp forms, and stamps whose fields are out of range
// or unreadable (these are read field by field before they fail, so they cost
// the most next to a real stamp).
void BM_RecognisedStampLength(benchmark::State& state, std::string_view base_name) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(base_name);
        auto length = tavrel::RecognisedStampLength(base_name);
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_RecognisedStampLength, too_short, std::string_view("IMG_0001"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, plain, std::string_view("DSC_00123_beach"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, date, std::string_view("20110914_IMG_0001"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, date_time,
                  std::string_view("20110914-153022_IMG_0001"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, bad_month, std::string_view("20111314_IMG_0001"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, bad_hour, std::string_view("20110914-253022_IMG_0001"));
BENCHMARK_CAPTURE(BM_RecognisedStampLength, unreadable_time,
                  std::string_view("20110914-15h30m_IMG_0001"));

struct StampedCase {
    std::string_view base_name;
    std::string_view stamp;
};

// IsAlreadyStamped: a name that bears the stamp and its "_", one that misses only
// the last "_" (compared to the end), one that differs at once, and the empty
// stamp of type 0.
void BM_IsAlreadyStamped(benchmark::State& state, StampedCase c) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(c);
        bool stamped = tavrel::IsAlreadyStamped(c.base_name, c.stamp);
        benchmark::DoNotOptimize(stamped);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_IsAlreadyStamped, stamped,
                  StampedCase{"20110914-153022__IMG_0001", "20110914-153022_"});
BENCHMARK_CAPTURE(BM_IsAlreadyStamped, near_miss,
                  StampedCase{"20110914-153022_IMG_0001", "20110914-153022_"});
BENCHMARK_CAPTURE(BM_IsAlreadyStamped, plain, StampedCase{"IMG_0001_beach", "20110914-153022_"});
BENCHMARK_CAPTURE(BM_IsAlreadyStamped, empty_stamp, StampedCase{"_IMG_0001", ""});

// The whole name step of one rename, as StampFile takes it once the stamp text
// is known: split, check for the stamp, drop an old stamp, compose. The path
// carries an older stamp, so every step does its work.
void BM_RenameNameStep(benchmark::State& state) {
    std::string_view path = "/home/user/Pictures/2011/20100101_IMG_0001.jpg";
    std::string_view stamp = "20110914-153022_";
    for (auto _ : state) {
        benchmark::DoNotOptimize(path);
        SplitPath split = SplitPath::Of(path);
        if (!tavrel::IsAlreadyStamped(split.base_name, stamp))
            split.base_name.erase(0, tavrel::RecognisedStampLength(split.base_name));
        auto candidate = split.Compose(stamp, {});
        benchmark::DoNotOptimize(candidate);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenameNameStep);

}  // namespace
