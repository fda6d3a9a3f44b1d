#include "stamp/collision_tag.h"

#include <cstdint>

namespace tavrel {

const std::array<char, 62> kCollisionTagSymbols = {
    '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f',
    'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p', 'q', 'r', 's', 't', 'u', 'v',
    'w', 'x', 'y', 'z', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L',
    'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z'};

std::string DrawCollisionTagSymbols(int count, Clock& clock) {
    if (count < 0) return {};
    // A 32-bit linear congruential generator; an index is the high 32 bits of
    // state x 62, which maps the state's range evenly onto the symbols.
    std::uint32_t state = clock.Counter();
    std::string symbols;
    symbols.reserve(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) {
        state = state * 1664525u + 1013904223u;
        const auto index = (static_cast<std::uint64_t>(state) * kCollisionTagSymbols.size()) >> 32;
        symbols += kCollisionTagSymbols[index];
    }
    return symbols;
}

std::string NewCollisionTag(Clock& clock) {
    return "." + DrawCollisionTagSymbols(5, clock);
}

}  // namespace tavrel
