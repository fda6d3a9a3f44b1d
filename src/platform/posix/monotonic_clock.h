#pragma once
// The seed clock on Linux.

#include "platform/clock.h"

namespace tavrel {

// The low 32 bits of the monotonic clock's nanoseconds; its milliseconds; the
// real-time clock's seconds.
class MonotonicClock final : public Clock {
public:
    std::uint32_t Counter() override;
    std::int64_t Milliseconds() override;
    std::int64_t UtcSeconds() override;
};

}  // namespace tavrel
