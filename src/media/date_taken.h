#pragma once
// The date a photo or video was taken, as its own bytes say.

#include <cstdint>
#include <optional>

#include "media/byte_source.h"

namespace tavrel::media {

// A date and time of day as written in the file: fields as they stand, no zone.
struct CivilTime {
    int year, month, day, hour, minute, second;
};

struct DateTaken {
    enum class Clock {
        kLocal,  // the camera's local clock as written (EXIF, the QuickTime keys date)
        kUtc,    // the movie header's creation time, a moment in UTC
    };
    Clock clock;
    CivilTime local;           // when kLocal
    std::int64_t utc_seconds;  // when kUtc: seconds since 1970-01-01 UTC
};

// The date the file's own bytes say it was taken; nullopt when none.
// First found wins: EXIF DateTimeOriginal, then DateTimeDigitized (JPEG, TIFF and the raw
// formats built on it, HEIF, CR3, PNG, WebP), as local time; then for QuickTime and MP4 the
// creation date of the movie's keys (local time as written, its offset ignored), else the movie
// header's creation time (UTC). A value of zeros, blanks or impossible fields, a local date outside
// the years a stamp can show (1980 to 2107), and a movie time of 1904 or of the Unix epoch count
// as none, and the next source is tried. Reads only the first bytes of a photo and the box
// headers of a video, never the whole file; every offset is checked against the file and every
// loop is bounded.
std::optional<DateTaken> ReadDateTaken(ByteSource& bytes);

}  // namespace tavrel::media
