#include "media/media_bytes.h"

#include <algorithm>
#include <cstring>

namespace tavrel::media {

MediaBytes::MediaBytes(ByteSource& source) : source_(source), size_(source.Size()) {
    head_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size_, kHeadSize)));
    if (!head_.empty()) head_.resize(source_.ReadAt(0, head_.data(), head_.size()));
}

bool MediaBytes::Read(std::uint64_t offset, std::uint8_t* into, std::size_t size) {
    if (!Holds(offset, size)) return false;
    if (offset <= head_.size() && size <= head_.size() - offset) {
        if (size != 0) std::memcpy(into, head_.data() + offset, size);
        return true;
    }
    return source_.ReadAt(offset, into, size) == size;
}

std::optional<std::vector<std::uint8_t>> MediaBytes::ReadBlock(ByteRange range) {
    if (range.size > kMaxBlock || !Holds(range.start, range.size)) return std::nullopt;
    std::vector<std::uint8_t> block(static_cast<std::size_t>(range.size));
    if (!Read(range.start, block.data(), block.size())) return std::nullopt;
    return block;
}

}  // namespace tavrel::media
