#pragma once
// Helpers for wrapping system calls.

#include <cerrno>

namespace tavrel {

// Runs a system call again for as long as a signal interrupts it.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    for (;;) {
        auto result = call();
        if (result != -1 || errno != EINTR) return result;
    }
}

// 0 for a call that succeeded, otherwise its errno value.
inline int ErrnoOf(int result) {
    return result == 0 ? 0 : errno;
}

}  // namespace tavrel
