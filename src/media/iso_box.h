#pragma once
// The boxes of an ISO base media file (HEIF, AVIF, CR3, MP4, QuickTime): headers only.

#include <cstdint>
#include <optional>

#include "media/media_bytes.h"

namespace tavrel::media {

struct IsoBox {
    std::uint32_t type = 0;
    ByteRange whole;  // header and payload
    // After the header, and after the 16-byte extended type of a "uuid" box, which so lies in
    // the 16 bytes before the payload.
    ByteRange payload;
};

// The box whose header starts at `at`, inside a parent that ends at `parent_end`. A size of 0
// runs to the parent's end, a size of 1 is followed by a 64-bit size; a box that claims to run
// past its parent (a file cut short) is cut at the parent's end. Empty when the header does not
// fit or its size is smaller than the header.
std::optional<IsoBox> ReadIsoBox(MediaBytes& bytes, std::uint64_t at, std::uint64_t parent_end);

// The first child of type `type` among the boxes that fill `parent` (at most kMaxIsoChildren of
// them are looked at).
std::optional<IsoBox> FindIsoChild(MediaBytes& bytes, ByteRange parent, std::uint32_t type);

// The children of a "meta" box: after the version and flags of the ISO form, or at once in the
// QuickTime form, which has none.
ByteRange MetaChildren(MediaBytes& bytes, const IsoBox& meta);

// Bounds every walk over sibling boxes.
inline constexpr int kMaxIsoChildren = 1024;

}  // namespace tavrel::media
