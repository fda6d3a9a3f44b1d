#include "base/errors.h"

namespace tavrel {

// Never inlined (and defined out of line, where callers cannot see its body):
// the return address must lie in the caller.
[[gnu::noinline]] const void* CallerAddress() noexcept {
    return __builtin_return_address(0);
}

Error::Error(const std::string& message, const void* address)
    : std::runtime_error(message), address_(address) {}

}  // namespace tavrel
