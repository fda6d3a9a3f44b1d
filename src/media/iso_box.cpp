#include "media/iso_box.h"

namespace tavrel::media {

std::optional<IsoBox> ReadIsoBox(MediaBytes& bytes, std::uint64_t at, std::uint64_t parent_end) {
    std::uint8_t header[16];
    if (at > parent_end || parent_end - at < 8 || !bytes.Read(at, header, 8)) return std::nullopt;
    const std::uint64_t room = parent_end - at;
    IsoBox box;
    box.type = Big32(header + 4);
    std::uint64_t size = Big32(header);
    std::uint64_t header_size = 8;
    if (size == 1) {
        if (room < 16 || !bytes.Read(at + 8, header + 8, 8)) return std::nullopt;
        size = Big64(header + 8);
        header_size = 16;
    } else if (size == 0) {
        size = room;
    }
    if (box.type == FourCc("uuid")) header_size += 16;
    if (size < header_size || room < header_size) return std::nullopt;
    if (size > room) size = room;
    box.whole = {at, size};
    box.payload = {at + header_size, size - header_size};
    return box;
}

std::optional<IsoBox> FindIsoChild(MediaBytes& bytes, ByteRange parent, std::uint32_t type) {
    std::uint64_t at = parent.start;
    for (int child = 0; child < kMaxIsoChildren && at < parent.end(); ++child) {
        const auto box = ReadIsoBox(bytes, at, parent.end());
        if (!box) return std::nullopt;
        if (box->type == type) return box;
        at = box->whole.end();
    }
    return std::nullopt;
}

ByteRange MetaChildren(MediaBytes& bytes, const IsoBox& meta) {
    // The ISO form starts with version 0 and no flags, four zero bytes; the QuickTime form starts
    // with its first child's size, which is never 0 there.
    std::uint8_t front[4];
    if (meta.payload.size >= 4 && bytes.Read(meta.payload.start, front, 4) && Big32(front) == 0)
        return {meta.payload.start + 4, meta.payload.size - 4};
    return meta.payload;
}

}  // namespace tavrel::media
