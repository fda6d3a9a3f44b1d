// SplitFields on any text and any delimiter. Input: the delimiter byte, then
// the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/split_fields.h"
#include "fuzz_check.h"

namespace {

bool IsBlank(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// The field written so that the splitting reads it back as it is: quoted, with
// every quote mark inside doubled.
std::string Quoted(const std::string& field) {
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char delimiter = static_cast<char>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto fields = tavrel::SplitFields(text, delimiter);

    // The text ends at its first NUL, so no field can hold one.
    const std::string_view used = text.substr(0, text.find('\0'));
    std::size_t field_bytes = 0;
    for (const auto& field : fields) {
        TAVREL_FUZZ_CHECK(field.find('\0') == std::string::npos);
        field_bytes += field.size();
    }
    TAVREL_FUZZ_CHECK(field_bytes <= used.size());

    // Without quote marks every byte other than blanks and delimiters lands in
    // exactly one field, in order, and no field holds a blank or a delimiter.
    if (used.find('"') == std::string_view::npos) {
        std::string kept;
        for (char c : used)
            if (!IsBlank(c) && c != delimiter) kept += c;
        std::string joined;
        for (const auto& field : fields) {
            for (char c : field) TAVREL_FUZZ_CHECK(!IsBlank(c) && c != delimiter);
            joined += field;
        }
        TAVREL_FUZZ_CHECK(joined == kept);
    }

    // Fields written back quoted and joined with the delimiter split into the
    // same fields. (A quote mark as delimiter would be read as a doubled quote.)
    if (delimiter != '"' && delimiter != '\0') {
        std::string rejoined;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) rejoined += delimiter;
            rejoined += Quoted(fields[i]);
        }
        TAVREL_FUZZ_CHECK(tavrel::SplitFields(rejoined, delimiter) == fields);
    }
    return 0;
}
