#pragma once
// Taking a path apart for renaming, and recognising a stamp a name already bears.
// Names are compared byte for byte, which for UTF-8 gives the outcomes of
// comparing UTF-16 code units; lengths that decide are counted in UTF-16 units
// (Utf16Length, base/utf8.h).

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

// A path split for renaming. The directory part keeps its final separator (see
// kPathSeparators; "" when the path has none); the extension runs from the file name's last "."
// (dot included, "" when there is none); the base name is what lies between.
struct SplitPath {
    std::string directory;
    std::string base_name;
    std::string extension;

    static SplitPath Of(std::string_view path);
    // directory + stamp + base name + tag + extension.
    std::string Compose(std::string_view stamp, std::string_view collision_tag) const;
};

// Length of the stamp at the start of a base name that is removed before a new
// one is put in front: 9 for "YYYYMMDD_", 16 for "YYYYMMDD-hhmmss_", with each
// field read by ParseInt32 and within bounds (year > 1900, month
// 1-12, day 1-31; hour <= 23, minute <= 59, second <= 59); 0 when there is none.
// Base names shorter than 9 are never analysed.
std::size_t RecognisedStampLength(std::string_view base_name);

// True when the base name begins with the stamp followed by one more "_": such a
// file is left alone. With an empty stamp this holds for every base name of 9
// or more characters that begins with "_".
bool IsAlreadyStamped(std::string_view base_name, std::string_view stamp);

}  // namespace tavrel
