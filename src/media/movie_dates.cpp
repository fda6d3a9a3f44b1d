#include "media/movie_dates.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "media/date_text.h"
#include "media/exif_block.h"

namespace tavrel::media {
namespace {

constexpr std::uint8_t kCr3MetadataUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                               0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
constexpr std::string_view kCreationDateKey = "com.apple.quicktime.creationdate";
// Seconds from 1904-01-01, where movie times count from, to 1970-01-01.
constexpr std::uint64_t kSeconds1904To1970 = 2082844800;
// Room for an ISO 8601 date with fractions and an offset.
constexpr std::size_t kDateValueRoom = 64;

// The 1-based index of the creation date among the keys (an "mdta" key of that name); 0 when
// there is none.
std::uint32_t CreationDateKeyIndex(const std::vector<std::uint8_t>& keys) {
    if (keys.size() < 8) return 0;
    const std::uint32_t count = Big32(keys.data() + 4);  // after version and flags
    std::size_t at = 8;
    // Every key takes at least 8 bytes, so the block's end bounds the walk.
    for (std::uint32_t index = 1; index <= count && keys.size() - at >= 8; ++index) {
        const std::uint32_t size = Big32(keys.data() + at);
        if (size < 8 || size > keys.size() - at) return 0;
        const std::string_view name(reinterpret_cast<const char*>(keys.data()) + at + 8, size - 8);
        if (Big32(keys.data() + at + 4) == FourCc("mdta") && name == kCreationDateKey) return index;
        at += size;
    }
    return 0;
}

}  // namespace

std::optional<CivilTime> ReadCr3ExifDate(MediaBytes& bytes, const IsoBox& moov) {
    std::uint64_t at = moov.payload.start;
    for (int child = 0; child < kMaxIsoChildren && at < moov.payload.end(); ++child) {
        const auto box = ReadIsoBox(bytes, at, moov.payload.end());
        if (!box) return std::nullopt;
        at = box->whole.end();
        std::uint8_t uuid[16];
        if (box->type != FourCc("uuid") || !bytes.Read(box->payload.start - 16, uuid, 16) ||
            std::memcmp(uuid, kCr3MetadataUuid, 16) != 0)
            continue;
        const auto exif = FindIsoChild(bytes, box->payload, FourCc("CMT2"));
        if (!exif) return std::nullopt;
        return ReadExifDate(bytes, exif->payload, ExifLayout::kFirstIfdIsExif);
    }
    return std::nullopt;
}

std::optional<CivilTime> ReadKeysCreationDate(MediaBytes& bytes, const IsoBox& moov) {
    const auto meta = FindIsoChild(bytes, moov.payload, FourCc("meta"));
    if (!meta) return std::nullopt;
    const ByteRange children = MetaChildren(bytes, *meta);
    const auto keys = FindIsoChild(bytes, children, FourCc("keys"));
    const auto ilst = FindIsoChild(bytes, children, FourCc("ilst"));
    if (!keys || !ilst) return std::nullopt;
    const auto key_block = bytes.ReadBlock(keys->payload);
    if (!key_block) return std::nullopt;
    const std::uint32_t index = CreationDateKeyIndex(*key_block);
    if (index == 0) return std::nullopt;
    // The list's entries are boxes whose type is the index of their key.
    const auto entry = FindIsoChild(bytes, ilst->payload, index);
    if (!entry) return std::nullopt;
    const auto data = FindIsoChild(bytes, entry->payload, FourCc("data"));
    // The data box: its type and locale (four bytes each), then the value.
    if (!data || data->payload.size <= 8) return std::nullopt;
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(data->payload.size - 8, kDateValueRoom));
    char value[kDateValueRoom];
    if (!bytes.Read(data->payload.start + 8, reinterpret_cast<std::uint8_t*>(value), length))
        return std::nullopt;
    return ParseIsoDateText(std::string_view(value, length));
}

std::optional<std::int64_t> ReadMovieHeaderTime(MediaBytes& bytes, const IsoBox& moov) {
    const auto header = FindIsoChild(bytes, moov.payload, FourCc("mvhd"));
    std::uint8_t fields[12];  // version, flags, creation time (4 or 8 bytes)
    if (!header || header->payload.size < 8 || !bytes.Read(header->payload.start, fields, 8))
        return std::nullopt;
    std::uint64_t since_1904;
    if (fields[0] == 0) {
        since_1904 = Big32(fields + 4);
    } else if (fields[0] == 1) {
        if (header->payload.size < 12 || !bytes.Read(header->payload.start + 8, fields + 8, 4))
            return std::nullopt;
        since_1904 = Big64(fields + 4);
    } else {
        return std::nullopt;
    }
    if (since_1904 == 0 || since_1904 == kSeconds1904To1970 ||
        since_1904 > static_cast<std::uint64_t>(INT64_MAX))
        return std::nullopt;
    return static_cast<std::int64_t>(since_1904) - static_cast<std::int64_t>(kSeconds1904To1970);
}

}  // namespace tavrel::media
