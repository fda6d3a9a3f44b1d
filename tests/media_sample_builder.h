#pragma once
// Small photo and movie files built in memory, for the media reader's tests and benchmark: just
// the structures the reader walks, with room to break each of them.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/byte_source.h"

namespace tavrel::media::test {

using Bytes = std::vector<std::uint8_t>;

// A buffer as a file (a ByteSource, or another interface of the same two calls); counts the
// requests and the bytes handed out, to show what the reader reads.
template <class Interface = ByteSource>
class BufferSource : public Interface {
public:
    explicit BufferSource(Bytes contents) : bytes(std::move(contents)) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        ++requests;
        if (offset >= bytes.size()) return 0;
        const std::size_t count = std::min<std::uint64_t>(size, bytes.size() - offset);
        std::memcpy(into, bytes.data() + offset, count);
        bytes_read += count;
        return count;
    }
    std::uint64_t Size() const override { return bytes.size(); }
    const Bytes bytes;
    int requests = 0;
    std::uint64_t bytes_read = 0;
};

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
// `value` in `size` bytes, big-endian unless `little`.
inline Bytes Num(std::uint64_t value, int size, bool little = false) {
    Bytes bytes(size);
    for (int i = 0; i < size; ++i)
        bytes[little ? i : size - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}
inline const Bytes kExifPrefix = Text(std::string("Exif\0\0", 6));

// The date tags of a TIFF structure; an empty text leaves its tag out.
struct ExifTags {
    std::string date_time;  // IFD0 DateTime, the last edit
    std::string original;
    std::string digitized;
};

// A TIFF structure: IFD0 (DateTime, the Exif IFD pointer) and the Exif IFD, then the texts.
// `magic` replaces the four bytes of byte order and magic (raw formats); `exif_first` makes the
// Exif IFD the first IFD (as in a CR3's CMT2).
inline Bytes MakeTiff(const ExifTags& tags, bool little = true, const std::string& magic = "",
                      bool exif_first = false) {
    const auto num = [&](std::uint64_t value, int size) { return Num(value, size, little); };
    std::vector<std::pair<int, std::string>> ifd0, exif;
    if (!tags.date_time.empty()) ifd0.push_back({0x0132, tags.date_time});
    if (!tags.original.empty()) exif.push_back({0x9003, tags.original});
    if (!tags.digitized.empty()) exif.push_back({0x9004, tags.digitized});
    const std::uint64_t exif_at = exif_first ? 8 : 8 + 2 + 12 * (ifd0.size() + 1) + 4;
    const std::uint64_t text_at = exif_at + 2 + 12 * exif.size() + 4;
    Bytes ifds, texts;
    const auto put_ifd = [&](const std::vector<std::pair<int, std::string>>& entries,
                             bool pointer) {
        ifds = Concat({ifds, num(entries.size() + pointer, 2)});
        for (const auto& [tag, text] : entries) {
            ifds = Concat({ifds, num(tag, 2), num(2, 2), num(text.size() + 1, 4),
                           num(text_at + texts.size(), 4)});
            texts = Concat({texts, Text(text), {0}});
        }
        if (pointer) ifds = Concat({ifds, num(0x8769, 2), num(4, 2), num(1, 4), num(exif_at, 4)});
        ifds = Concat({ifds, num(0, 4)});  // no next IFD
    };
    if (!exif_first) put_ifd(ifd0, true);
    put_ifd(exif, false);
    const Bytes head =
        magic.empty() ? Concat({Text(little ? "II" : "MM"), num(42, 2)}) : Text(magic);
    return Concat({head, num(8, 4), ifds, texts});
}

inline Bytes MakeJpeg(const Bytes& tiff, std::size_t padded_size = 0) {
    Bytes jpeg = Concat({{0xFF, 0xD8, 0xFF, 0xE0, 0, 16},
                         Text(std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)),
                         {0xFF, 0xE1},
                         Num(tiff.size() + 8, 2),
                         kExifPrefix,
                         tiff,
                         {0xFF, 0xDA, 0, 2}});
    if (jpeg.size() + 2 < padded_size) jpeg.resize(padded_size - 2, 0x55);
    return Concat({jpeg, {0xFF, 0xD9}});
}

inline Bytes MakePng(const Bytes& exif) {
    const auto chunk = [](const char* type, const Bytes& data) {  // CRC zero: never checked
        return Concat({Num(data.size(), 4), Text(type), data, Num(0, 4)});
    };
    return Concat({{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
                   chunk("IHDR", Bytes(13, 1)),
                   chunk("IDAT", Bytes(20, 7)),
                   chunk("eXIf", exif),
                   chunk("IEND", {})});
}

// An ISO box; `large` writes its size in 64 bits, `to_end` writes size 0 (to the end of its
// parent).
inline Bytes Box(const std::string& type, const Bytes& payload, bool large = false,
                 bool to_end = false) {
    if (large) return Concat({Num(1, 4), Text(type), Num(payload.size() + 16, 8), payload});
    return Concat({Num(to_end ? 0 : payload.size() + 8, 4), Text(type), payload});
}
// A box that starts with version and flags.
inline Bytes FullBox(const std::string& type, int version, const Bytes& payload) {
    return Box(type, Concat({{static_cast<std::uint8_t>(version), 0, 0, 0}, payload}));
}

// A HEIF image: its meta box lists an image item and the Exif item, which lies in mdat behind
// its offset to the TIFF header (the six bytes of "Exif\0\0").
inline Bytes MakeHeif(const Bytes& tiff) {
    const Bytes item = Concat({Num(6, 4), kExifPrefix, tiff});
    const auto infe = [](std::uint8_t id, const char* type) {
        return FullBox("infe", 2, Concat({{0, id, 0, 0}, Text(type), {0}}));
    };
    const auto meta = [&](std::uint64_t item_at) {  // the image's 4 bytes follow the Exif item
        Bytes iloc = {0x44, 0, 0, 2};               // 4-byte offsets and lengths, two items
        for (int id : {1, 2})
            iloc = Concat({iloc, Num(id, 2), Num(0, 2), Num(1, 2),
                           Num(id == 1 ? item_at + item.size() : item_at, 4),
                           Num(id == 1 ? 4 : item.size(), 4)});
        return FullBox(
            "meta", 0,
            Concat({FullBox("hdlr", 0, Bytes(20, 'p')),
                    FullBox("iinf", 0, Concat({{0, 2}, infe(1, "hvc1"), infe(2, "Exif")})),
                    FullBox("iloc", 0, iloc)}));
    };
    const Bytes ftyp = Box("ftyp", Text(std::string("heic\0\0\0\0mif1heic", 16)));
    // The meta box is as long whatever offsets it holds.
    return Concat(
        {ftyp, meta(ftyp.size() + meta(0).size() + 8), Box("mdat", Concat({item, {1, 2, 3, 4}}))});
}

// A CR3: the Exif IFD in CMT2 inside the metadata uuid box of the moov, behind an IFD0 in CMT1.
inline Bytes MakeCr3(const Bytes& exif_first_tiff, const Bytes& more_moov = {}) {
    const Bytes uuid = Concat({{0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0, 0x81, 0x11, 0xf4,
                                0xce, 0x46, 0x2b, 0x6a, 0x48},
                               Box("CMT1", MakeTiff({"2001:01:01 00:00:00", "", ""})),
                               Box("CMT2", exif_first_tiff)});
    return Concat({Box("ftyp", Text(std::string("crx \0\0\0\1crx isom", 16))),
                   Box("moov", Concat({Box("uuid", uuid), more_moov}))});
}

// A movie header with a creation time in seconds since 1904 (64 bits in version 1).
inline Bytes MovieHeader(std::uint64_t since_1904, int version = 0) {
    Bytes fields = Num(since_1904, version == 1 ? 8 : 4);
    fields.resize(version == 1 ? 108 : 96);
    return FullBox("mvhd", version, fields);
}

// moov/meta (QuickTime's form, without version and flags) with the keys list and the creation
// date as its second key; the list's entries are typed by their key's index.
inline Bytes KeysMeta(const std::string& date) {
    const auto key = [](const std::string& name) {
        return Concat({Num(name.size() + 8, 4), Text("mdta" + name)});
    };
    const auto value = [](std::uint8_t index, const std::string& text) {
        return Box(std::string("\0\0\0", 3) + static_cast<char>(index),
                   Box("data", Concat({{0, 0, 0, 1, 0, 0, 0, 0}, Text(text)})));
    };
    return Box("meta", Concat({FullBox("hdlr", 0, Bytes(20, 'm')),
                               FullBox("keys", 0,
                                       Concat({Num(2, 4), key("com.apple.quicktime.make"),
                                               key("com.apple.quicktime.creationdate")})),
                               Box("ilst", Concat({value(1, "Camera"), value(2, date)}))}));
}

}  // namespace tavrel::media::test
