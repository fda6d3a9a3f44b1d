#pragma once
// The collision tag: a dot and six random symbols that go before the extension
// when the stamped name is taken already.

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace tavrel {

// The 62 symbols of a collision tag: digits, then lower-case, then upper-case
// letters, each group in alphabetical order.
extern const std::array<char, 62> kCollisionTagSymbols;

// Returns count + 1 symbols drawn uniformly from kCollisionTagSymbols (count = 5
// gives six); the empty text for a count below 0. Reseeds the generator from
// the clock on every call, so two calls that read the same clock value return
// the same symbols.
std::string DrawCollisionTagSymbols(int count, Clock& clock);

// A fresh collision tag: "." and six symbols.
std::string NewCollisionTag(Clock& clock);

}  // namespace tavrel
