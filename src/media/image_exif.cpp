#include "media/image_exif.h"

#include <algorithm>
#include <cstring>

namespace tavrel::media {
namespace {

constexpr std::uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
// EXIF is looked for among the segments starting in the first 64 KiB of a JPEG.
constexpr std::uint64_t kJpegExifReach = 64 * 1024;
// More chunks than a still image puts before its metadata; a longer walk is given up.
constexpr int kMaxChunks = 1024;

bool StartsWithExifPrefix(const std::uint8_t* bytes, std::size_t size) {
    return size >= sizeof kExifPrefix && std::memcmp(bytes, kExifPrefix, sizeof kExifPrefix) == 0;
}

}  // namespace

ByteRange SkipExifPrefix(MediaBytes& bytes, ByteRange block) {
    std::uint8_t front[sizeof kExifPrefix];
    if (block.size >= sizeof front && bytes.Read(block.start, front, sizeof front) &&
        StartsWithExifPrefix(front, sizeof front))
        return {block.start + sizeof front, block.size - sizeof front};
    return block;
}

std::optional<ByteRange> FindJpegExif(MediaBytes& bytes) {
    std::uint64_t at = 2;  // after the start-of-image marker
    while (at < kJpegExifReach) {
        std::uint8_t marker[2];
        if (!bytes.Read(at, marker, 2) || marker[0] != 0xFF) return std::nullopt;
        if (marker[1] == 0xFF) {  // a fill byte before the marker
            ++at;
            continue;
        }
        // Markers that stand alone, without a length.
        if (marker[1] == 0x01 || marker[1] == 0xD8 || (marker[1] >= 0xD0 && marker[1] <= 0xD7)) {
            at += 2;
            continue;
        }
        // Start of scan or end of image: the metadata segments are behind.
        if (marker[1] == 0xDA || marker[1] == 0xD9) return std::nullopt;
        std::uint8_t length_bytes[2];
        if (!bytes.Read(at + 2, length_bytes, 2)) return std::nullopt;
        const std::uint16_t length = Big16(length_bytes);  // counts itself, not the marker
        if (length < 2) return std::nullopt;
        const ByteRange payload{at + 4, length - 2u};
        if (!bytes.Holds(payload.start, payload.size)) return std::nullopt;  // cut short
        if (marker[1] == 0xE1 && payload.size > sizeof kExifPrefix) {
            std::uint8_t front[sizeof kExifPrefix];
            if (bytes.Read(payload.start, front, sizeof front) &&
                StartsWithExifPrefix(front, sizeof front))
                return ByteRange{payload.start + sizeof front, payload.size - sizeof front};
        }
        at = payload.end();
    }
    return std::nullopt;
}

std::optional<ByteRange> FindPngExif(MediaBytes& bytes) {
    std::uint64_t at = 8;  // after the signature
    for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
        std::uint8_t header[8];
        if (!bytes.Read(at, header, sizeof header)) return std::nullopt;
        const std::uint32_t length = Big32(header);
        const std::uint32_t type = Big32(header + 4);
        if (length > 0x7FFFFFFF) return std::nullopt;  // the format's own limit
        const ByteRange data{at + 8, length};
        if (type == FourCc("eXIf")) {
            if (!bytes.Holds(data.start, data.size)) return std::nullopt;
            return SkipExifPrefix(bytes, data);
        }
        if (type == FourCc("IEND")) return std::nullopt;
        at = data.end() + 4;  // and the CRC
    }
    return std::nullopt;
}

std::optional<ByteRange> FindWebpExif(MediaBytes& bytes) {
    std::uint8_t riff[12];
    if (!bytes.Read(0, riff, sizeof riff)) return std::nullopt;
    // The chunks end where the RIFF size says, or at the end of a file cut short.
    const std::uint64_t end =
        std::min<std::uint64_t>(bytes.Size(), 8 + std::uint64_t{Little32(riff + 4)});
    std::uint64_t at = sizeof riff;
    for (int chunk = 0; chunk < kMaxChunks && at < end; ++chunk) {
        std::uint8_t header[8];
        if (!bytes.Read(at, header, sizeof header)) return std::nullopt;
        const ByteRange data{at + 8, Little32(header + 4)};
        if (Big32(header) == FourCc("EXIF")) {
            if (data.end() > end) return std::nullopt;
            return SkipExifPrefix(bytes, data);
        }
        at = data.end() + (data.size & 1);  // chunks are padded to an even size
    }
    return std::nullopt;
}

}  // namespace tavrel::media
