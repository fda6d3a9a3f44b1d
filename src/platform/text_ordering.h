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
    // On Linux valid UTF-8 is case-folded in full and bytes that are no valid
    // UTF-8 compare exactly; on Windows equality is CompareStringW's.
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

// The user's own collation: ICU's for the LC_COLLATE locale on Linux,
// CompareStringW's for the user's default locale on Windows.
std::unique_ptr<TextOrdering> MakeUserTextOrdering();

}  // namespace tavrel
