#pragma once
// The fast-moving clock that seeds the collision tag's random symbols.

#include <cstdint>
#include <memory>

namespace tavrel {

class Clock {
public:
    virtual ~Clock() = default;
    // A counter that moves on between two calls as often as possible.
    virtual std::uint32_t Counter() = 0;
};

// The platform's own clock: the monotonic clock on Linux, the performance
// counter on Windows.
std::unique_ptr<Clock> MakeSystemClock();

}  // namespace tavrel
