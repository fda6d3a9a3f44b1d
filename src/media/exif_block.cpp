#include "media/exif_block.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "media/date_text.h"

namespace tavrel::media {
namespace {

constexpr std::uint16_t kExifIfdPointerTag = 0x8769;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kDateTimeDigitizedTag = 0x9004;
constexpr std::uint16_t kAsciiType = 2;
constexpr std::uint16_t kLongType = 4;
constexpr std::uint16_t kIfdType = 13;
// More entries than any real IFD holds: a larger count marks a broken block.
constexpr std::uint16_t kMaxIfdEntries = 1024;
constexpr std::size_t kIfdEntrySize = 12;
// Room for "YYYY:MM:DD HH:MM:SS" and a little more; the rest of a longer value is not read.
constexpr std::size_t kDateTextRoom = 32;

struct IfdEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;  // the value itself when it fits in four bytes, else its offset
    std::array<std::uint8_t, 4> value_bytes;
};

// The entries of one IFD of a TIFF block, read in the block's byte order.
class TiffBlock {
public:
    TiffBlock(MediaBytes& bytes, ByteRange block) : bytes_(bytes), block_(block) {}

    // Reads the header: byte order, magic and the first IFD's offset.
    bool ReadHeader() {
        std::uint8_t header[8];
        if (block_.size < sizeof header || !bytes_.Read(block_.start, header, sizeof header))
            return false;
        if (header[0] == 'I' && header[1] == 'I')
            little_endian_ = true;
        else if (header[0] == 'M' && header[1] == 'M')
            little_endian_ = false;
        else
            return false;
        // 42 for TIFF and most raw formats; "RO"/"RS" (ORF) and "U\0" (RW2) for raw formats
        // that keep the TIFF structure under a magic of their own.
        const std::uint16_t magic = Read16(header + 2);
        if (magic != 42 && magic != 0x4F52 && magic != 0x5352 && magic != 0x0055) return false;
        first_ifd_ = Read32(header + 4);
        return true;
    }

    std::uint32_t first_ifd() const { return first_ifd_; }

    // The IFD's entries, when its count and entries lie inside the block.
    std::optional<std::vector<IfdEntry>> ReadIfd(std::uint32_t offset) {
        std::uint8_t count_bytes[2];
        if (!Inside(offset, 2) || !bytes_.Read(block_.start + offset, count_bytes, 2))
            return std::nullopt;
        const std::uint16_t count = Read16(count_bytes);
        if (count > kMaxIfdEntries || !Inside(std::uint64_t{offset} + 2, count * kIfdEntrySize))
            return std::nullopt;
        std::vector<std::uint8_t> raw(count * kIfdEntrySize);
        if (!bytes_.Read(block_.start + offset + 2, raw.data(), raw.size())) return std::nullopt;
        std::vector<IfdEntry> entries;
        entries.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = raw.data() + i * kIfdEntrySize;
            IfdEntry read{Read16(entry),
                          Read16(entry + 2),
                          Read32(entry + 4),
                          Read32(entry + 8),
                          {entry[8], entry[9], entry[10], entry[11]}};
            entries.push_back(read);
        }
        return entries;
    }

    // The text of an ASCII entry, up to kDateTextRoom bytes of it.
    std::optional<std::string> ReadText(const IfdEntry& entry) {
        if (entry.type != kAsciiType) return std::nullopt;
        const std::size_t length = std::min<std::size_t>(entry.count, kDateTextRoom);
        if (entry.count <= 4)
            return std::string(entry.value_bytes.begin(), entry.value_bytes.begin() + length);
        if (!Inside(entry.value, length)) return std::nullopt;
        std::string text(length, '\0');
        if (!bytes_.Read(block_.start + entry.value, reinterpret_cast<std::uint8_t*>(text.data()),
                         length))
            return std::nullopt;
        return text;
    }

private:
    bool Inside(std::uint64_t offset, std::uint64_t size) const {
        return offset <= block_.size && size <= block_.size - offset;
    }
    std::uint16_t Read16(const std::uint8_t* p) const {
        return little_endian_ ? Little16(p) : Big16(p);
    }
    std::uint32_t Read32(const std::uint8_t* p) const {
        return little_endian_ ? Little32(p) : Big32(p);
    }

    MediaBytes& bytes_;
    ByteRange block_;
    bool little_endian_ = false;
    std::uint32_t first_ifd_ = 0;
};

const IfdEntry* FindTag(const std::vector<IfdEntry>& entries, std::uint16_t tag) {
    for (const auto& entry : entries)
        if (entry.tag == tag) return &entry;
    return nullptr;
}

}  // namespace

std::optional<CivilTime> ReadExifDate(MediaBytes& bytes, ByteRange block, ExifLayout layout) {
    TiffBlock tiff(bytes, block);
    if (!tiff.ReadHeader()) return std::nullopt;
    std::uint32_t exif_ifd = tiff.first_ifd();
    if (layout == ExifLayout::kIfd0PointsToExif) {
        const auto ifd0 = tiff.ReadIfd(tiff.first_ifd());
        if (!ifd0) return std::nullopt;
        const IfdEntry* pointer = FindTag(*ifd0, kExifIfdPointerTag);
        if (!pointer || (pointer->type != kLongType && pointer->type != kIfdType) ||
            pointer->count != 1)
            return std::nullopt;
        exif_ifd = pointer->value;
    }
    const auto entries = tiff.ReadIfd(exif_ifd);
    if (!entries) return std::nullopt;
    // First found wins: a missing or unusable original date gives way to the digitized one.
    for (std::uint16_t tag : {kDateTimeOriginalTag, kDateTimeDigitizedTag}) {
        const IfdEntry* entry = FindTag(*entries, tag);
        if (!entry) continue;
        if (const auto text = tiff.ReadText(*entry))
            if (const auto date = ParseExifDateText(*text)) return date;
    }
    return std::nullopt;
}

}  // namespace tavrel::media
