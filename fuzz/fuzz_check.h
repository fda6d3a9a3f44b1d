#pragma once
// Properties the fuzz targets hold the code to. A broken property aborts, so
// libFuzzer keeps the input as a crash like any sanitizer report.

#include <cstdio>
#include <cstdlib>

#define TAVREL_FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::tavrel::fuzz::PropertyBroken(#condition, __FILE__, __LINE__))

namespace tavrel::fuzz {

[[noreturn]] inline void PropertyBroken(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

}  // namespace tavrel::fuzz
