// The real services of a Windows desktop: the Win32 file system, the
// performance counter, and the collation of the user's default locale.

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/text_ordering.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_text_ordering.h"

namespace tavrel {

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<win32::Win32FileSystem>();
}

std::unique_ptr<Clock> MakeSystemClock() {
    return std::make_unique<win32::PerformanceCounterClock>();
}

std::unique_ptr<TextOrdering> MakeUserTextOrdering() {
    return std::make_unique<win32::Win32TextOrdering>();
}

}  // namespace tavrel
