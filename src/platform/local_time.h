#pragma once
// Conversion of a file time to the local calendar time.

#include <cstdint>
#include <ctime>

namespace tavrel {

// Converts seconds since the epoch (UTC) to local time with the offset in force at
// that moment (daylight saving included), in the zone of the system (TZ on
// Linux; the time-zone settings on Windows, where the result is also limited to
// what FileTimeToDosDateTime accepts, years 1980 to 2107, even seconds). False
// when it cannot.
bool ToLocalTime(std::int64_t utc_seconds, std::tm& local);

}  // namespace tavrel
