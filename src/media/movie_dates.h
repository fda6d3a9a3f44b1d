#pragma once
// The dates in a movie box (moov) of an ISO base media file: QuickTime, MP4 and CR3.

#include <cstdint>
#include <optional>

#include "media/date_taken.h"
#include "media/iso_box.h"

namespace tavrel::media {

// The EXIF date of a CR3: the Exif IFD held in the CMT2 box of the moov's uuid box of that
// format (85c0b687-820f-11e0-8111-f4ce462b6a48).
std::optional<CivilTime> ReadCr3ExifDate(MediaBytes& bytes, const IsoBox& moov);

// The "com.apple.quicktime.creationdate" entry of moov/meta (keys and ilst): its local time as
// written, its offset ignored.
std::optional<CivilTime> ReadKeysCreationDate(MediaBytes& bytes, const IsoBox& moov);

// The creation time of moov/mvhd (versions 0 and 1) as seconds since 1970-01-01 UTC. Empty for 0
// (1904-01-01, the field left unset) and for exactly the Unix epoch (a clock never set).
std::optional<std::int64_t> ReadMovieHeaderTime(MediaBytes& bytes, const IsoBox& moov);

}  // namespace tavrel::media
