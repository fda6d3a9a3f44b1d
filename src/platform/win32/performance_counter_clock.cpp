#include "platform/win32/performance_counter_clock.h"

#include <windows.h>

namespace tavrel::win32 {

std::uint32_t PerformanceCounterClock::Counter() {
    LARGE_INTEGER counter;
    if (::QueryPerformanceCounter(&counter)) return static_cast<std::uint32_t>(counter.QuadPart);
    return ::GetTickCount();
}

}  // namespace tavrel::win32
