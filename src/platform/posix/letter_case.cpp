#include "platform/letter_case.h"

#include <unicode/ustring.h>

#include <vector>

namespace tavrel {

std::string LowerCase(std::string_view text) {
    // ICU's full lower-case mapping of the root locale, as the desktop's
    // toolkit maps letters that have no locale of their own.
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    std::vector<UChar> utf16(text.size() + 1);
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return std::string(text);
    // Lower case can take up to three code units for one (full mapping).
    std::vector<UChar> lower(static_cast<std::size_t>(length) * 3 + 1);
    const int32_t lower_length = u_strToLower(lower.data(), static_cast<int32_t>(lower.size()),
                                              utf16.data(), length, "", &status);
    if (U_FAILURE(status)) return std::string(text);
    std::string result(static_cast<std::size_t>(lower_length) * 3, '\0');
    int32_t result_length = 0;
    u_strToUTF8(result.data(), static_cast<int32_t>(result.size()), &result_length, lower.data(),
                lower_length, &status);
    if (U_FAILURE(status)) return std::string(text);
    result.resize(static_cast<std::size_t>(result_length));
    return result;
}

}  // namespace tavrel
