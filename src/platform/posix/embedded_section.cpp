#include "platform/posix/embedded_section.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

// A file open for reading at any offset.
class OpenFile {
public:
    explicit OpenFile(const std::string& path)
        : fd_(RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); })) {}

    bool ok() const { return static_cast<bool>(fd_); }

    // Reads exactly size bytes at offset; false on any error or short read.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
        auto* out = static_cast<char*>(buffer);
        while (size > 0) {
            const ssize_t n = RetryOnInterrupt(
                [&] { return ::pread(fd_.get(), out, size, static_cast<off_t>(offset)); });
            if (n <= 0) return false;
            out += n;
            offset += static_cast<std::uint64_t>(n);
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    UniqueFd fd_;
};

// Upper bound for what this reader accepts from a section header table or a
// section, so a damaged file cannot make it reserve gigabytes.
constexpr std::uint64_t kMaxBytes = 64u << 20;

}  // namespace

std::optional<std::string> ReadEmbeddedSection(const std::string& path, const std::string& name) {
    OpenFile file(path);
    if (!file.ok()) return std::nullopt;

    Elf64_Ehdr header;
    if (!file.ReadAt(0, &header, sizeof header)) return std::nullopt;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr) ||
        header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;

    const std::uint64_t table_bytes = std::uint64_t{header.e_shnum} * sizeof(Elf64_Shdr);
    if (table_bytes > kMaxBytes) return std::nullopt;
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!file.ReadAt(header.e_shoff, sections.data(), table_bytes)) return std::nullopt;

    auto read_section = [&](const Elf64_Shdr& section) -> std::optional<std::string> {
        if (section.sh_type == SHT_NOBITS || section.sh_size > kMaxBytes) return std::nullopt;
        std::string bytes(section.sh_size, '\0');
        if (!file.ReadAt(section.sh_offset, bytes.data(), bytes.size())) return std::nullopt;
        return bytes;
    };

    const auto names = read_section(sections[header.e_shstrndx]);
    if (!names) return std::nullopt;
    for (const auto& section : sections) {
        if (section.sh_name >= names->size()) continue;
        // Section names are NUL-terminated inside the name table.
        if (std::strcmp(names->c_str() + section.sh_name, name.c_str()) == 0)
            return read_section(section);
    }
    return std::nullopt;
}

}  // namespace tavrel
