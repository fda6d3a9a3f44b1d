#pragma once
// Conversion of a file time to the local calendar time.

#include <cstdint>
#include <ctime>

namespace tavrel {

// Converts seconds since the epoch (UTC) to local time with the offset in force at
// that moment (daylight saving included), as TZ says. False when it cannot.
bool ToLocalTime(std::int64_t utc_seconds, std::tm& local);

}  // namespace tavrel
