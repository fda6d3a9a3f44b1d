#pragma once
// Where the EXIF block lies in the still-image containers that carry it in segments or chunks.

#include <optional>

#include "media/media_bytes.h"

namespace tavrel::media {

// The TIFF structure of a JPEG's first "Exif\0\0" APP1 segment, among the segments that start
// in the file's first 64 KiB (before the image data).
std::optional<ByteRange> FindJpegExif(MediaBytes& bytes);

// The TIFF structure of a PNG's first eXIf chunk.
std::optional<ByteRange> FindPngExif(MediaBytes& bytes);

// The TIFF structure of a WebP file's (RIFF) first EXIF chunk.
std::optional<ByteRange> FindWebpExif(MediaBytes& bytes);

// The block without an "Exif\0\0" in front, which some writers put before the TIFF header in
// containers whose EXIF has none.
ByteRange SkipExifPrefix(MediaBytes& bytes, ByteRange block);

}  // namespace tavrel::media
