#pragma once
// The clocks of the core: the fast-moving counter that seeds the collision
// tag's random symbols, and the times the journal of a rename run keeps.

#include <cstdint>
#include <memory>

namespace tavrel {

class Clock {
public:
    virtual ~Clock() = default;
    // A counter that moves on between two calls as often as possible.
    virtual std::uint32_t Counter() = 0;
    // Milliseconds from a fixed moment, never going back (0 from a clock that
    // does not tell them: then nothing is done because time passed).
    virtual std::int64_t Milliseconds() { return 0; }
    // The time of day: seconds since the epoch, UTC.
    virtual std::int64_t UtcSeconds() { return 0; }
};

// The platform's own clock: the monotonic clock on Linux, the performance
// counter on Windows.
std::unique_ptr<Clock> MakeSystemClock();

}  // namespace tavrel
