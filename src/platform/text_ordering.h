#pragma once
// Letter-case-blind comparison of paths: the key that decides whether two file
// list entries are the same, and the key that sorts a batch in the user's order.

#include <memory>
#include <string>
#include <string_view>

namespace tavrel {

class TextOrdering {
public:
    virtual ~TextOrdering() = default;
    // Equal for two paths exactly when they are equal with letter case ignored.
    // Valid UTF-8 is case-folded in full; bytes that are no valid UTF-8 stay as
    // they are and so compare exactly.
    virtual std::string FoldKey(std::string_view path) const = 0;
    // Byte-wise comparison of two sort keys orders the paths as the user's
    // locale collates them, letter case ignored (ties are the caller's to break).
    // A key never contains a 0 byte. Safe to call from several threads at once.
    virtual std::string SortKey(std::string_view path) const = 0;
    // Appends the sort key of the path to the end of out; the same bytes as
    // SortKey, without a string of its own for each path.
    virtual void AppendSortKey(std::string_view path, std::string& out) const {
        out += SortKey(path);
    }
    // True when two paths that agree up to a "/" always collate as their parts
    // from that "/" on do: no contraction or context of the collation takes in
    // a "/", and no level is compared from the end. A batch whose paths all
    // begin alike can then be keyed without the shared part.
    virtual bool OrdersTailsFromSlash() const { return false; }
};

// ICU case folding and the collator of the given locale name (as in LC_COLLATE,
// e.g. "ja_JP.UTF-8"); the root collation for "C", "POSIX" or "". Strength
// secondary: letter case is ignored, accents are not.
std::unique_ptr<TextOrdering> MakeIcuTextOrdering(const std::string& locale_name);

// The ICU locale identifier for a POSIX locale name ("de_DE.UTF-8@euro" gives
// "de_DE"); empty for "C", "POSIX" and "".
std::string IcuLocaleId(const std::string& posix_locale_name);

}  // namespace tavrel
