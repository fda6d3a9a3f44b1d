#include "app/errors.h"

namespace tavrel {

// Never inlined (and defined out of line, where callers cannot see its body):
// the return address must lie in the caller.
[[gnu::noinline]] const void* CallerAddress() noexcept {
    return __builtin_return_address(0);
}

Error::Error(const std::string& message, const void* address)
    : std::runtime_error(message), address_(address) {}

DateConversionError::DateConversionError(const void* address)
    : Error(kDateConversionMessage, address) {}

FileOpenError::FileOpenError(const std::string& path, const std::string& reason,
                             const void* address)
    : Error("ファイル " + path + " は開けません。 " + reason + " ", address) {}

FileCreateError::FileCreateError(const std::string& path, const std::string& reason,
                                 const void* address)
    : Error("ファイル \"" + path + "\" を作成できません。" + reason, address) {}

AssertionFailure::AssertionFailure(const std::string& source, int line, const void* address)
    : Error("アサートの失敗 (" + source + ", " + std::to_string(line) + " 行)", address) {}

}  // namespace tavrel
