#include "base/parse_int32.h"

namespace tavrel {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::size_t pos = 0;
    const std::size_t end = text.size();
    while (pos < end && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos == end) return std::nullopt;

    bool hexadecimal = false;
    if (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X') {
        hexadecimal = true;
        ++pos;
    } else if (text[pos] == '0' && pos + 1 < end &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        hexadecimal = true;
        pos += 2;
    }
    if (pos == end) return std::nullopt;

    std::uint64_t value = 0;
    if (hexadecimal) {
        for (; pos < end; ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        const auto bits = static_cast<std::uint32_t>(value);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    for (; pos < end; ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        if (value > 2147483648u) return std::nullopt;
    }
    if (!negative && value > 2147483647u) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(value)
                                              : static_cast<std::int64_t>(value));
}

}  // namespace tavrel
