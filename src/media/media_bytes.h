#pragma once
// Bounded reads of a media file: the first bytes held in memory, every read all or nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "media/byte_source.h"

namespace tavrel::media {

// A span of a file: [start, start + size).
struct ByteRange {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::uint64_t end() const { return start + size; }
};

// Reads of one file for the media reader. The file's first kHeadSize bytes are read with one
// request when made, so that the headers of a photo cost one request; reads past them go to the
// source. A read either fills all it asked for or fails, so a short or failed read can never
// leave stale bytes behind to be parsed.
class MediaBytes {
public:
    static constexpr std::size_t kHeadSize = 64 * 1024;
    // The largest block ReadBlock hands out: the parts of the headers read whole (the item
    // lists of an image, the keys of a movie) are far smaller.
    static constexpr std::size_t kMaxBlock = 1024 * 1024;

    explicit MediaBytes(ByteSource& source);

    std::uint64_t Size() const { return size_; }
    // True when [offset, offset + size) lies inside the file.
    bool Holds(std::uint64_t offset, std::uint64_t size) const {
        return offset <= size_ && size <= size_ - offset;
    }
    // Copies exactly `size` bytes from `offset`; false (and `into` unspecified) when they are
    // not all there.
    bool Read(std::uint64_t offset, std::uint8_t* into, std::size_t size);
    // The bytes of `range`, when it lies in the file and is no larger than kMaxBlock.
    std::optional<std::vector<std::uint8_t>> ReadBlock(ByteRange range);

private:
    ByteSource& source_;
    std::uint64_t size_;
    std::vector<std::uint8_t> head_;
};

// Big- and little-endian integers from bytes the caller has checked are there.
inline std::uint16_t Big16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
inline std::uint32_t Big32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline std::uint64_t Big64(const std::uint8_t* p) {
    return std::uint64_t{Big32(p)} << 32 | Big32(p + 4);
}
inline std::uint16_t Little16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}
inline std::uint32_t Little32(const std::uint8_t* p) {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}
// A four-character code as a big-endian number, for comparing box and chunk types.
constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(code[0])} << 24 |
           std::uint32_t{static_cast<std::uint8_t>(code[1])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(code[2])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(code[3])};
}

}  // namespace tavrel::media
