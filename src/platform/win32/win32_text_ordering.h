#pragma once
// Letter-case-blind ordering of paths on Windows: the user's locale collation
// as CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE) gives it.

#include <string_view>

#include "platform/text_ordering.h"

namespace tavrel::win32 {

// Both keys are the sort key of LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY |
// NORM_IGNORECASE): two keys compare as CompareStringW compares the paths, and
// are equal exactly when CompareStringW finds the paths equal, which is also the
// test of a list box's exact-string search.
class Win32TextOrdering final : public TextOrdering {
public:
    std::string FoldKey(std::string_view path) const override;
    std::string SortKey(std::string_view path) const override;
    void AppendSortKey(std::string_view path, std::string& out) const override;
};

// CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE) of two paths: below,
// equal to or above 0. The sort keys above must order paths the same way.
int CompareUserLocale(std::string_view a, std::string_view b);

}  // namespace tavrel::win32
