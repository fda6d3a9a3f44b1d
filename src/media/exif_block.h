#pragma once
// The date taken in an EXIF block: a TIFF structure of either byte order.

#include <optional>

#include "media/date_taken.h"
#include "media/media_bytes.h"

namespace tavrel::media {

enum class ExifLayout {
    // A TIFF header whose first IFD (IFD0) points to the Exif IFD (tag 0x8769): EXIF in JPEG,
    // PNG, WebP and HEIF, and TIFF files and the raw formats built on TIFF.
    kIfd0PointsToExif,
    // A TIFF header whose first IFD is itself the Exif IFD (the CMT2 block of a CR3).
    kFirstIfdIsExif,
};

// DateTimeOriginal (0x9003), else DateTimeDigitized (0x9004), of the Exif IFD of the TIFF
// structure that fills `block` (offsets in it count from the block's start, and none may point
// outside it), as local time as written. Empty when neither holds a usable date. IFD0's own
// DateTime (0x0132), the time of the last edit, is never read.
std::optional<CivilTime> ReadExifDate(MediaBytes& bytes, ByteRange block, ExifLayout layout);

}  // namespace tavrel::media
