#pragma once
// Letter-case-blind ordering of paths on Linux, from ICU.

#include <memory>
#include <string>

#include "platform/text_ordering.h"

namespace tavrel {

// ICU case folding and the collator of the given locale name (as in LC_COLLATE,
// e.g. "ja_JP.UTF-8"); the root collation for "C", "POSIX" or "". Strength
// secondary: letter case is ignored, accents are not.
std::unique_ptr<TextOrdering> MakeIcuTextOrdering(const std::string& locale_name);

// The ICU locale identifier for a POSIX locale name ("de_DE.UTF-8@euro" gives
// "de_DE"); empty for "C", "POSIX" and "".
std::string IcuLocaleId(const std::string& posix_locale_name);

}  // namespace tavrel
