#pragma once
// General routines: the random symbols of the collision tag.

#include <array>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace tavrel {

// The 62 symbols of a collision tag: digits, then lower-case, then upper-case
// letters, each group in alphabetical order.
extern const std::array<char, 62> RandomChars;

// Returns count + 1 symbols drawn uniformly from RandomChars (count = 5 gives
// six); the empty text for a count below 0. Reseeds the generator from the clock
// on every call, so two calls that read the same clock value return the same
// symbols.
std::string RandomString(int count, Clock& clock);

}  // namespace tavrel
