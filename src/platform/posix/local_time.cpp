#include "platform/local_time.h"

#include <time.h>

namespace tavrel {

bool ToLocalTime(std::int64_t utc_seconds, std::tm& local) {
    const auto seconds = static_cast<time_t>(utc_seconds);
    return ::localtime_r(&seconds, &local) != nullptr;
}

}  // namespace tavrel
