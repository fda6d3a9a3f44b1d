#include "app/errors.h"

namespace tavrel {

// Not inlined, so that the return address is the code that raised the error.
[[gnu::noinline]] Error::Error(const std::string& message)
    : std::runtime_error(message), address_(__builtin_return_address(0)) {}

DateConversionError::DateConversionError() : Error(kDateConversionMessage) {}

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : Error("ファイル " + path + " は開けません。 " + reason + " ") {}

FileCreateError::FileCreateError(const std::string& path, const std::string& reason)
    : Error("ファイル \"" + path + "\" を作成できません。" + reason) {}

AssertionFailure::AssertionFailure(const std::string& source, int line)
    : Error("アサートの失敗 (" + source + ", " + std::to_string(line) + " 行)") {}

}  // namespace tavrel
