// ParseInt32 on any text, checked against an independent reading of
// the same grammar: leading spaces, an optional sign, then decimal digits or a
// hexadecimal number behind "$", "x", "X", "0x" or "0X", and nothing after it.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/parse_int32.h"
#include "fuzz_check.h"

namespace {

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool AllOf(std::string_view text, bool (*predicate)(char)) {
    if (text.empty()) return false;
    for (char c : text)
        if (!predicate(c)) return false;
    return true;
}

// The value the rule gives, worked out with the standard library's parser.
std::optional<std::int32_t> Expected(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    std::string_view digits;
    int base = 10;
    if (AllOf(text, IsDecimalDigit)) {
        digits = text;
    } else if (text.size() >= 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") &&
               AllOf(text.substr(2), IsHexDigit)) {
        digits = text.substr(2);
        base = 16;
    } else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X') &&
               AllOf(text.substr(1), IsHexDigit)) {
        digits = text.substr(1);
        base = 16;
    } else {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    if (base == 16) {
        if (value > 0xFFFFFFFFu) return std::nullopt;
        const auto bits = static_cast<std::uint32_t>(value);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    // The range is checked on the magnitude before any sign is applied: a
    // magnitude of 2^63 or more has no negation in 64 signed bits.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : std::uint64_t{INT32_MAX};
    if (value > limit) return std::nullopt;
    const auto magnitude = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = tavrel::ParseInt32(text);
    TAVREL_FUZZ_CHECK(value == Expected(text));
    if (!value) return 0;

    // A value read back from its decimal form is the same value.
    TAVREL_FUZZ_CHECK(tavrel::ParseInt32(std::to_string(*value)) == value);
    // Leading spaces do not matter; a trailing one makes the text unreadable.
    TAVREL_FUZZ_CHECK(tavrel::ParseInt32(" " + text) == value);
    TAVREL_FUZZ_CHECK(!tavrel::ParseInt32(text + " "));
    // A minus sign in front of an unsigned number negates it in 32 bits.
    const std::size_t start = text.find_first_not_of(' ');
    if (text[start] != '+' && text[start] != '-') {
        const auto negated = tavrel::ParseInt32("-" + text.substr(start));
        TAVREL_FUZZ_CHECK(negated ==
                          static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(*value)));
    }
    return 0;
}
