#pragma once
// The EXIF block of a HEIF image (HEIC, AVIF): the "Exif" item of the file's meta box.

#include <optional>

#include "media/iso_box.h"

namespace tavrel::media {

// The TIFF structure of the first item of type "Exif" that the top-level `meta` box lists (iinf),
// where its location (iloc, the item's first extent, in the file or in the meta box's idat) says,
// after the item's own offset to its TIFF header.
std::optional<ByteRange> FindHeifExif(MediaBytes& bytes, const IsoBox& meta);

}  // namespace tavrel::media
