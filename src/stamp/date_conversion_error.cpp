#include "stamp/date_conversion_error.h"

namespace tavrel {

DateConversionError::DateConversionError(const void* address)
    : Error(kDateConversionMessage, address) {}

}  // namespace tavrel
