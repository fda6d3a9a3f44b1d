#include "media/heif_exif.h"

#include <cstdint>
#include <vector>

#include "media/image_exif.h"

namespace tavrel::media {
namespace {

// Items an image may list: a grid of tiles has one item per tile.
constexpr int kMaxItems = 16384;

// Reads big-endian fields of the sizes iloc declares, from a block, failing past its end.
class FieldCursor {
public:
    explicit FieldCursor(const std::vector<std::uint8_t>& block) : block_(block) {}
    // The next `size` bytes (0, 1, 2, 4 or 8) as a number; a size of 0 reads 0.
    bool Take(unsigned size, std::uint64_t& value) {
        if (size > 8 || size > block_.size() - at_) return false;
        value = 0;
        for (unsigned i = 0; i < size; ++i) value = value << 8 | block_[at_ + i];
        at_ += size;
        return true;
    }

private:
    const std::vector<std::uint8_t>& block_;
    std::size_t at_ = 0;
};

// The item ID of the first item whose type is "Exif" among the item infos (infe, versions 2
// and 3: the ones that name a type).
std::optional<std::uint32_t> FindExifItemId(MediaBytes& bytes, const IsoBox& iinf) {
    std::uint8_t version;
    if (iinf.payload.size < 4 || !bytes.Read(iinf.payload.start, &version, 1)) return std::nullopt;
    const std::uint64_t count_size = version == 0 ? 2 : 4;
    const std::uint64_t first = 4 + count_size;  // version, flags and entry count
    if (iinf.payload.size < first) return std::nullopt;
    const ByteRange entries{iinf.payload.start + first, iinf.payload.size - first};
    std::uint64_t at = entries.start;
    for (int item = 0; item < kMaxItems && at < entries.end(); ++item) {
        const auto infe = ReadIsoBox(bytes, at, entries.end());
        if (!infe) return std::nullopt;
        at = infe->whole.end();
        std::uint8_t fields[14];  // version, flags, ID (2 or 4), protection index, type
        if (infe->type != FourCc("infe") || infe->payload.size < 12 ||
            !bytes.Read(infe->payload.start, fields, 12))
            continue;
        if (fields[0] == 2 && Big32(fields + 8) == FourCc("Exif")) return Big16(fields + 4);
        if (fields[0] == 3 && infe->payload.size >= 14 &&
            bytes.Read(infe->payload.start + 12, fields + 12, 2) &&
            Big32(fields + 10) == FourCc("Exif"))
            return Big32(fields + 4);
    }
    return std::nullopt;
}

struct ItemLocation {
    std::uint64_t construction_method = 0;  // 0: offsets in the file, 1: in the meta's idat
    std::uint64_t offset = 0;               // base offset plus the first extent's offset
    std::uint64_t length = 0;               // 0: to the end
};

// Where iloc (versions 0, 1 and 2) says the item's first extent lies.
std::optional<ItemLocation> FindItemLocation(MediaBytes& bytes, const IsoBox& iloc,
                                             std::uint32_t item_id) {
    const auto block = bytes.ReadBlock(iloc.payload);
    if (!block) return std::nullopt;
    FieldCursor cursor(*block);
    std::uint64_t version, flags, sizes, more_sizes, count;
    if (!cursor.Take(1, version) || version > 2 || !cursor.Take(3, flags) ||
        !cursor.Take(1, sizes) || !cursor.Take(1, more_sizes) ||
        !cursor.Take(version < 2 ? 2 : 4, count))
        return std::nullopt;
    const unsigned offset_size = static_cast<unsigned>(sizes >> 4);
    const unsigned length_size = static_cast<unsigned>(sizes & 15);
    const unsigned base_offset_size = static_cast<unsigned>(more_sizes >> 4);
    const unsigned index_size = version == 0 ? 0 : static_cast<unsigned>(more_sizes & 15);
    for (std::uint64_t item = 0; item < count && item < kMaxItems; ++item) {
        std::uint64_t id, method = 0, reference, extent_count;
        ItemLocation location;
        if (!cursor.Take(version < 2 ? 2 : 4, id)) return std::nullopt;
        if (version >= 1) {
            if (!cursor.Take(2, method)) return std::nullopt;
            location.construction_method = method & 15;
        }
        if (!cursor.Take(2, reference) || !cursor.Take(base_offset_size, location.offset) ||
            !cursor.Take(2, extent_count))
            return std::nullopt;
        // Extents whose fields are all of size 0 take no bytes: one is read, not thousands.
        const bool extents_take_bytes = index_size + offset_size + length_size != 0;
        bool offset_fits = true;
        for (std::uint64_t extent = 0; extent < extent_count; ++extent) {
            std::uint64_t index, offset, length;
            if (!cursor.Take(index_size, index) || !cursor.Take(offset_size, offset) ||
                !cursor.Take(length_size, length))
                return std::nullopt;
            if (extent == 0) {
                offset_fits = offset <= UINT64_MAX - location.offset;
                location.offset += offset;
                location.length = length;
            }
            if (!extents_take_bytes) break;
        }
        if (id == item_id) {
            if (extent_count == 0 || !offset_fits) return std::nullopt;
            return location;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ByteRange> FindHeifExif(MediaBytes& bytes, const IsoBox& meta) {
    const ByteRange children = MetaChildren(bytes, meta);
    const auto iinf = FindIsoChild(bytes, children, FourCc("iinf"));
    const auto iloc = FindIsoChild(bytes, children, FourCc("iloc"));
    if (!iinf || !iloc) return std::nullopt;
    const auto item_id = FindExifItemId(bytes, *iinf);
    if (!item_id) return std::nullopt;
    const auto location = FindItemLocation(bytes, *iloc, *item_id);
    if (!location) return std::nullopt;

    // The space the item's offsets count in: the file, or the payload of the meta's idat.
    ByteRange space{0, bytes.Size()};
    if (location->construction_method == 1) {
        const auto idat = FindIsoChild(bytes, children, FourCc("idat"));
        if (!idat) return std::nullopt;
        space = idat->payload;
    } else if (location->construction_method != 0) {
        return std::nullopt;  // an item made of other items: no EXIF is stored so
    }
    if (location->offset > space.size) return std::nullopt;
    const std::uint64_t room = space.size - location->offset;
    if (location->length > room) return std::nullopt;
    const ByteRange item{space.start + location->offset,
                         location->length == 0 ? room : location->length};

    // The item starts with the offset from its fifth byte to the TIFF header.
    std::uint8_t front[4];
    if (item.size < 4 || !bytes.Read(item.start, front, 4)) return std::nullopt;
    const std::uint64_t header_offset = Big32(front);
    if (header_offset > item.size - 4) return std::nullopt;
    const ByteRange tiff{item.start + 4 + header_offset, item.size - 4 - header_offset};
    return SkipExifPrefix(bytes, tiff);
}

}  // namespace tavrel::media
