#pragma once
// The seed clock on Linux.

#include "platform/clock.h"

namespace tavrel {

// The low 32 bits of the monotonic clock's nanoseconds.
class MonotonicClock final : public Clock {
public:
    std::uint32_t Counter() override;
};

}  // namespace tavrel
