#pragma once
// The error of a file whose last-write time gives no stamp.

#include "base/errors.h"

namespace tavrel {

// The message, kept in one place so that tests and handlers agree on it.
inline constexpr const char* kDateConversionMessage = "日付に変換できない値が渡されました";

// A file's last-write time could not be read or converted to a stamp time.
class DateConversionError : public Error {
public:
    explicit DateConversionError(const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "DateConversionError"; }
};

}  // namespace tavrel
