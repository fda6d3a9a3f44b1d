#include "base/utf8.h"

namespace tavrel {

Utf8Sequence DecodeUtf8At(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    char32_t c;
    char32_t least;  // the smallest code point of that length: below it is overlong
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (text.size() - pos < length) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return {};
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF) return {};
    return {c, length};
}

std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++units;
            ++pos;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8At(text, pos);
        if (sequence.length == 0) {
            ++units;
            ++pos;
        } else {
            units += sequence.code_point >= 0x10000 ? 2 : 1;
            pos += sequence.length;
        }
    }
    return units;
}

}  // namespace tavrel
