#include "base/split_fields.h"

namespace tavrel {
namespace {

bool IsBlank(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view text, char delimiter) {
    text = text.substr(0, text.find('\0'));
    const std::size_t end = text.size();
    std::vector<std::string> fields;
    fields.reserve(8);  // a stamp's date and time fields, without regrowing
    std::size_t pos = 0;
    auto skip_blanks = [&] {
        while (pos < end && IsBlank(text[pos])) ++pos;
    };

    skip_blanks();
    while (pos < end) {
        std::string field;
        if (text[pos] == '"') {
            ++pos;
            while (pos < end) {
                if (text[pos] == '"') {
                    if (pos + 1 < end && text[pos + 1] == '"') {
                        field += '"';
                        pos += 2;
                        continue;
                    }
                    ++pos;  // the closing quote
                    break;
                }
                field += text[pos++];
            }
        } else {
            const std::size_t start = pos;
            while (pos < end && !IsBlank(text[pos]) && text[pos] != delimiter) ++pos;
            field.assign(text.substr(start, pos - start));
        }
        fields.push_back(std::move(field));
        skip_blanks();
        if (pos < end && text[pos] == delimiter) {
            if (pos + 1 == end) fields.emplace_back();
            ++pos;
            skip_blanks();
        }
    }
    return fields;
}

}  // namespace tavrel
