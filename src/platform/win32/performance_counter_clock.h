#pragma once
// The seed clock on Windows.

#include "platform/clock.h"

namespace tavrel::win32 {

// The low 32 bits of QueryPerformanceCounter; the millisecond tick count where
// that counter cannot be read.
class PerformanceCounterClock final : public Clock {
public:
    std::uint32_t Counter() override;
    // GetTickCount64; the system time in seconds since 1970.
    std::int64_t Milliseconds() override;
    std::int64_t UtcSeconds() override;
};

}  // namespace tavrel::win32
