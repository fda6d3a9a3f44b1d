// Entry point of the micro-benchmarks. The time zone is pinned before anything
// runs, so that ToStampTime converts with the same rules on every machine and
// the numbers of two runs can be compared.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
