#include "platform/win32/wtf8.h"

#include "platform/utf8_encoding.h"

namespace tavrel::win32 {
namespace {

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point of the sequence at pos and its length; length 0 when the bytes
// there begin no valid sequence. Surrogates are accepted (WTF-8), overlong forms
// and values above U+10FFFF are not.
char32_t DecodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    length = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    std::size_t need;
    char32_t c;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (pos + need > text.size()) return 0;
    for (std::size_t i = 1; i < need; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF) return 0;
    length = need;
    return c;
}

}  // namespace

std::string ToWtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        if (IsHighSurrogate(c) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring FromWtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length;
        const char32_t c = DecodeAt(text, pos, length);
        if (length == 0) {
            out += static_cast<wchar_t>(0xFFFD);
            ++pos;
            continue;
        }
        pos += length;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

}  // namespace tavrel::win32
