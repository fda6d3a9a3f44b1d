#pragma once
// The fast-moving clock that seeds the collision tag's random symbols.

#include <cstdint>

namespace tavrel {

class Clock {
public:
    virtual ~Clock() = default;
    // A counter that moves on between two calls as often as possible.
    virtual std::uint32_t Counter() = 0;
};

// The low 32 bits of the monotonic clock's nanoseconds.
class MonotonicClock final : public Clock {
public:
    std::uint32_t Counter() override;
};

}  // namespace tavrel
