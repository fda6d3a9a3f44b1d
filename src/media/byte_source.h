#pragma once
// Random-access reads of one file's bytes, the only way the media reader sees a file.

#include <cstddef>
#include <cstdint>

namespace tavrel::media {

// Random-access reads of one file's bytes; the file system layer implements it over an open
// file, tests over a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `size` bytes from `offset` into `into`; returns how many were copied (fewer
    // only at the end of the file). Throws nothing; a failed read returns 0.
    virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) = 0;
    virtual std::uint64_t Size() const = 0;
};

}  // namespace tavrel::media
