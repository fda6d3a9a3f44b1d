#include "platform/win32/performance_counter_clock.h"

#include <windows.h>

namespace tavrel::win32 {

std::uint32_t PerformanceCounterClock::Counter() {
    LARGE_INTEGER counter;
    if (::QueryPerformanceCounter(&counter)) return static_cast<std::uint32_t>(counter.QuadPart);
    return ::GetTickCount();
}

std::int64_t PerformanceCounterClock::Milliseconds() {
    return static_cast<std::int64_t>(::GetTickCount64());
}

std::int64_t PerformanceCounterClock::UtcSeconds() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    // 100-nanosecond ticks since 1601-01-01.
    return ticks / 10000000 - 11644473600LL;
}

}  // namespace tavrel::win32
