#pragma once
// UTF-8, the encoding of every text and path in the core. Windows names may hold
// a lone UTF-16 surrogate, which the core keeps in the generalised form WTF-8:
// encoded like any other code point. Every side that turns bytes into code
// points, or code points into bytes, does it here, by one rule.

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

// Appends the code point's UTF-8 bytes. A surrogate code point gets the three
// bytes of its number, as WTF-8 keeps an unpaired one.
inline void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One code point read from UTF-8: its value and how many bytes it took. A
// length of 0 says that no valid sequence begins at that byte.
struct Utf8Sequence {
    char32_t code_point = 0;
    std::size_t length = 0;
};

// Reads the sequence that begins at text[pos] (pos must lie inside the text).
// A sequence is valid when it is the shortest form of a code point up to
// U+10FFFF; surrogate code points count as valid, so WTF-8 reads back. An
// overlong form, a value above U+10FFFF, a lone continuation byte, a lead byte
// that no sequence begins with, and a sequence cut short are not.
Utf8Sequence DecodeUtf8At(std::string_view text, std::size_t pos);

// The length of a text in UTF-16 code units, the unit in which names count
// characters: one unit per valid sequence of up to three bytes, two for a
// four-byte one, and one for every byte that begins no valid sequence (as
// Windows' side turns such a byte into one U+FFFD).
std::size_t Utf16Length(std::string_view text);

}  // namespace tavrel
