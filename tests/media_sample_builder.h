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

// A buffer as a file; counts the bytes handed out, to show what the reader reads.
class BufferSource : public ByteSource {
public:
    explicit BufferSource(Bytes bytes) : bytes_(std::move(bytes)) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
        std::memcpy(into, bytes_.data() + offset, count);
        bytes_read += count;
        return count;
    }
    std::uint64_t Size() const override { return bytes_.size(); }
    std::uint64_t bytes_read = 0;

private:
    Bytes bytes_;
};

inline void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}
inline void AppendText(Bytes& to, const std::string& text) {
    to.insert(to.end(), text.begin(), text.end());
}
inline void AppendBig(Bytes& to, std::uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i) to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void AppendLittle(Bytes& to, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The date tags of a TIFF structure; an empty text leaves its tag out.
struct ExifTags {
    std::string date_time;  // IFD0 DateTime, the last edit
    std::string original;
    std::string digitized;
};

// A TIFF structure: IFD0 (DateTime, the Exif IFD pointer) and the Exif IFD, then the texts.
// `exif_first` makes the Exif IFD the first IFD (as in a CR3's CMT2); `magic` replaces the
// four bytes of byte order and magic (raw formats).
inline Bytes MakeTiff(const ExifTags& tags, bool little_endian = true, std::string magic = "",
                      bool exif_first = false) {
    const auto put = [&](Bytes& to, std::uint64_t value, int size) {
        little_endian ? AppendLittle(to, value, size) : AppendBig(to, value, size);
    };
    std::vector<std::pair<int, std::string>> ifd0, exif;
    if (!tags.date_time.empty()) ifd0.push_back({0x0132, tags.date_time});
    if (!tags.original.empty()) exif.push_back({0x9003, tags.original});
    if (!tags.digitized.empty()) exif.push_back({0x9004, tags.digitized});
    if (exif_first) ifd0.clear();
    const std::uint32_t ifd0_size = exif_first ? 0 : 2 + 12 * (ifd0.size() + 1) + 4;
    const std::uint32_t exif_at = 8 + ifd0_size;
    std::uint32_t text_at = exif_at + 2 + 12 * exif.size() + 4;
    Bytes tiff, texts;
    if (magic.empty()) {
        AppendText(tiff, little_endian ? "II" : "MM");
        put(tiff, 42, 2);
    } else {
        AppendText(tiff, magic);
    }
    put(tiff, exif_first ? exif_at : 8, 4);
    const auto put_ifd = [&](const std::vector<std::pair<int, std::string>>& entries,
                             bool pointer) {
        put(tiff, entries.size() + (pointer ? 1 : 0), 2);
        for (const auto& [tag, text] : entries) {
            put(tiff, tag, 2), put(tiff, 2, 2), put(tiff, text.size() + 1, 4);
            put(tiff, text_at + texts.size(), 4);
            AppendText(texts, text), texts.push_back(0);
        }
        if (pointer) put(tiff, 0x8769, 2), put(tiff, 4, 2), put(tiff, 1, 4), put(tiff, exif_at, 4);
        put(tiff, 0, 4);  // no next IFD
    };
    if (!exif_first) put_ifd(ifd0, true);
    put_ifd(exif, false);
    Append(tiff, texts);
    return tiff;
}

inline Bytes MakeJpeg(const Bytes& tiff, std::size_t padded_size = 0) {
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    AppendText(jpeg, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
    jpeg.insert(jpeg.end(), {0xFF, 0xE1});
    AppendBig(jpeg, tiff.size() + 8, 2);
    AppendText(jpeg, std::string("Exif\0\0", 6));
    Append(jpeg, tiff);
    jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0x00, 0x02});
    if (jpeg.size() + 2 < padded_size) jpeg.resize(padded_size - 2, 0x55);
    jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    return jpeg;
}

inline Bytes MakePng(const Bytes& tiff) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&](const char* type, const Bytes& data) {
        AppendBig(png, data.size(), 4), AppendText(png, type), Append(png, data);
        AppendBig(png, 0, 4);  // the CRC, which the reader does not check
    };
    chunk("IHDR", Bytes(13, 1)), chunk("IDAT", Bytes(20, 7)), chunk("eXIf", tiff);
    chunk("IEND", {});
    return png;
}

inline Bytes MakeWebp(const Bytes& tiff) {
    Bytes chunks;
    AppendText(chunks, "WEBPVP8X"), AppendLittle(chunks, 10, 4), chunks.resize(chunks.size() + 10);
    AppendText(chunks, "VP8 "), AppendLittle(chunks, 3, 4), Append(chunks, {1, 2, 3, 0});
    AppendText(chunks, "EXIF"), AppendLittle(chunks, tiff.size(), 4), Append(chunks, tiff);
    if (tiff.size() % 2) chunks.push_back(0);
    Bytes webp;
    AppendText(webp, "RIFF"), AppendLittle(webp, chunks.size(), 4), Append(webp, chunks);
    return webp;
}

// An ISO box; `large` writes its size in 64 bits, `to_end` writes size 0 (to the end of its
// parent).
inline Bytes Box(const std::string& type, const Bytes& payload, bool large = false,
                 bool to_end = false) {
    Bytes box;
    if (large)
        AppendBig(box, 1, 4), AppendText(box, type), AppendBig(box, payload.size() + 16, 8);
    else
        AppendBig(box, to_end ? 0 : payload.size() + 8, 4), AppendText(box, type);
    Append(box, payload);
    return box;
}
// A box that starts with version and flags.
inline Bytes FullBox(const std::string& type, int version, const Bytes& payload) {
    Bytes full = {static_cast<std::uint8_t>(version), 0, 0, 0};
    Append(full, payload);
    return Box(type, full);
}
inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) Append(all, part);
    return all;
}
inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A HEIF image: its meta box lists an image item and the Exif item, which lies in mdat behind
// its offset to the TIFF header (the six bytes of "Exif\0\0").
inline Bytes MakeHeif(const Bytes& tiff) {
    const Bytes item = Concat({{0, 0, 0, 6}, Text(std::string("Exif\0\0", 6)), tiff});
    const auto infe = [](int id, const char* type) {
        return FullBox("infe", 2,
                       Concat({{0, static_cast<std::uint8_t>(id), 0, 0}, Text(type), {0}}));
    };
    const Bytes ftyp = Box("ftyp", Text(std::string("heic\0\0\0\0mif1heic", 16)));
    Bytes meta;
    for (std::uint64_t item_at = 0;;) {
        Bytes iloc = {0x44, 0x00, 0, 2};  // 4-byte offsets and lengths, two items
        for (int id : {1, 2}) {
            AppendBig(iloc, id, 2), AppendBig(iloc, 0, 2), AppendBig(iloc, 1, 2);
            AppendBig(iloc, id == 1 ? item_at + item.size() : item_at, 4);
            AppendBig(iloc, id == 1 ? 4 : item.size(), 4);
        }
        meta =
            FullBox("meta", 0,
                    Concat({FullBox("hdlr", 0, Text(std::string(20, 'p'))),
                            FullBox("iinf", 0, Concat({{0, 2}, infe(1, "hvc1"), infe(2, "Exif")})),
                            FullBox("iloc", 0, iloc)}));
        const std::uint64_t at = ftyp.size() + meta.size() + 8;
        if (at == item_at) break;
        item_at = at;
    }
    return Concat({ftyp, meta, Box("mdat", Concat({item, {1, 2, 3, 4}}))});
}

// A CR3: the Exif IFD in CMT2 inside the metadata uuid box of the moov.
inline Bytes MakeCr3(const Bytes& exif_first_tiff, const Bytes& more_moov = {}) {
    const Bytes uuid = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                        0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
    const Bytes canon = Concat({uuid, Box("CNCV", Text("CanonCR3_001/00.09.00/00.00.00")),
                                Box("CMT1", MakeTiff({"2001:01:01 00:00:00", "", ""})),
                                Box("CMT2", exif_first_tiff)});
    return Concat({Box("ftyp", Text(std::string("crx \0\0\0\1crx isom", 16))),
                   Box("moov", Concat({Box("uuid", canon), more_moov}))});
}

// A movie header with a creation time in seconds since 1904 (64 bits in version 1).
inline Bytes MovieHeader(std::uint64_t since_1904, int version = 0) {
    Bytes fields;
    AppendBig(fields, since_1904, version == 1 ? 8 : 4);
    fields.resize(version == 1 ? 108 : 96);
    return FullBox("mvhd", version, fields);
}

// moov/meta with the keys list and the creation date as its second key (QuickTime's meta form,
// without version and flags).
inline Bytes KeysMeta(const std::string& date) {
    const auto key = [](const char* name) {
        Bytes entry;
        AppendBig(entry, std::strlen(name) + 8, 4), AppendText(entry, "mdta"),
            AppendText(entry, name);
        return entry;
    };
    const Bytes keys = FullBox("keys", 0,
                               Concat({{0, 0, 0, 2},
                                       key("com.apple.quicktime.make"),
                                       key("com.apple.quicktime.creationdate")}));
    const auto value = [](const std::string& text) {
        return Box("data", Concat({{0, 0, 0, 1, 0, 0, 0, 0}, Text(text)}));
    };
    // The list's entries are typed by their key's index.
    const Bytes ilst = Box("ilst", Concat({Box(std::string("\0\0\0\1", 4), value("Apple")),
                                           Box(std::string("\0\0\0\2", 4), value(date))}));
    return Box("meta", Concat({FullBox("hdlr", 0, Text(std::string(20, 'm'))), keys, ilst}));
}

}  // namespace tavrel::media::test
