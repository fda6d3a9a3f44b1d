#include <time.h>

#include "platform/posix/monotonic_clock.h"

namespace tavrel {

std::uint32_t MonotonicClock::Counter() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto nanoseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
                             static_cast<std::uint64_t>(now.tv_nsec);
    return static_cast<std::uint32_t>(nanoseconds);
}

std::int64_t MonotonicClock::Milliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t MonotonicClock::UtcSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec);
}

}  // namespace tavrel
