#include "media/date_taken.h"

#include <algorithm>
#include <cstring>

#include "media/exif_block.h"
#include "media/heif_exif.h"
#include "media/image_exif.h"
#include "media/iso_box.h"
#include "media/media_bytes.h"
#include "media/movie_dates.h"

namespace tavrel::media {
namespace {

enum class Container { kNone, kJpeg, kTiff, kPng, kWebp, kIsoMedia };

bool StartsWith(const std::uint8_t* bytes, const char* magic, std::size_t size) {
    return std::memcmp(bytes, magic, size) == 0;
}

// The container, told by the file's first bytes.
Container ContainerOf(MediaBytes& bytes) {
    std::uint8_t front[12] = {};
    if (!bytes.Read(0, front, std::min<std::uint64_t>(bytes.Size(), sizeof front)))
        return Container::kNone;
    if (StartsWith(front, "\xFF\xD8\xFF", 3)) return Container::kJpeg;
    // TIFF in either byte order, and the raw formats built on it: CR2, NEF, ARW, DNG and PEF
    // keep TIFF's magic, ORF and RW2 have their own.
    for (const char* magic : {"II*\0", "MM\0*", "IIRO", "IIRS", "MMOR", "IIU\0"})
        if (StartsWith(front, magic, 4)) return Container::kTiff;
    if (StartsWith(front, "\x89PNG\r\n\x1A\n", 8)) return Container::kPng;
    if (StartsWith(front, "RIFF", 4) && StartsWith(front + 8, "WEBP", 4)) return Container::kWebp;
    // ISO base media files start with ftyp; QuickTime movies of old may start with any of their
    // top-level boxes.
    for (const char* type : {"ftyp", "moov", "mdat", "wide", "free", "skip", "pnot"})
        if (StartsWith(front + 4, type, 4)) return Container::kIsoMedia;
    return Container::kNone;
}

DateTaken Local(const CivilTime& time) {
    return {DateTaken::Clock::kLocal, time, 0};
}

std::optional<DateTaken> FromExif(MediaBytes& bytes, std::optional<ByteRange> block) {
    if (!block) return std::nullopt;
    if (const auto date = ReadExifDate(bytes, *block, ExifLayout::kIfd0PointsToExif))
        return Local(*date);
    return std::nullopt;
}

std::optional<DateTaken> ReadIsoMediaDate(MediaBytes& bytes) {
    // The top-level boxes: the image's meta and the movie's moov, which may come after the media
    // data; only their headers are read on the way.
    std::optional<IsoBox> meta, moov;
    std::uint64_t at = 0;
    for (int box_number = 0; box_number < kMaxIsoChildren && at < bytes.Size() && !moov;
         ++box_number) {
        const auto box = ReadIsoBox(bytes, at, bytes.Size());
        if (!box) break;
        if (box->type == FourCc("meta") && !meta) meta = box;
        if (box->type == FourCc("moov")) moov = box;
        at = box->whole.end();
    }
    if (meta)
        if (const auto block = FindHeifExif(bytes, *meta))
            if (const auto date = FromExif(bytes, block)) return date;
    if (!moov) return std::nullopt;
    if (const auto date = ReadCr3ExifDate(bytes, *moov)) return Local(*date);
    if (const auto date = ReadKeysCreationDate(bytes, *moov)) return Local(*date);
    if (const auto seconds = ReadMovieHeaderTime(bytes, *moov))
        return DateTaken{DateTaken::Clock::kUtc, {}, *seconds};
    return std::nullopt;
}

}  // namespace

std::optional<DateTaken> ReadDateTaken(ByteSource& source) {
    MediaBytes bytes(source);
    switch (ContainerOf(bytes)) {
        case Container::kJpeg:
            return FromExif(bytes, FindJpegExif(bytes));
        case Container::kTiff:
            return FromExif(bytes, ByteRange{0, bytes.Size()});
        case Container::kPng:
            return FromExif(bytes, FindPngExif(bytes));
        case Container::kWebp:
            return FromExif(bytes, FindWebpExif(bytes));
        case Container::kIsoMedia:
            return ReadIsoMediaDate(bytes);
        case Container::kNone:
            break;
    }
    return std::nullopt;
}

}  // namespace tavrel::media
