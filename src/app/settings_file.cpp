#include "app/settings_file.h"

#include "app/errors.h"
#include "platform/code_page.h"
#include "platform/name_rules.h"
#include "stamp/delimited_text.h"
#include "stamp/integer_text.h"

namespace tavrel {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
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

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
    std::string out;
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

std::string SettingsFilePath(const std::string& executable_path) {
    const auto separator = executable_path.find_last_of(kPathSeparators);
    if (separator == std::string::npos) return "./setup.ini";
    std::string directory = executable_path.substr(0, separator + 1);
    // The final separator goes, unless it stands behind another separator: a
    // root such as "C:\" keeps it ("C:\/setup.ini"), as Windows accepts.
    const bool after_separator =
        directory.size() >= 2 &&
        kPathSeparators.find(directory[directory.size() - 2]) != std::string_view::npos;
    if (directory.back() == kDirectorySeparator && !after_separator) directory.pop_back();
    return directory + "/setup.ini";
}

std::string DecodeSettingsText(std::string_view bytes) {
    std::string text;
    if (bytes.substr(0, 2) == "\xFF\xFE")
        text = Utf16ToUtf8(bytes.substr(2), /*big_endian=*/false);
    else if (bytes.substr(0, 2) == "\xFE\xFF")
        text = Utf16ToUtf8(bytes.substr(2), /*big_endian=*/true);
    else if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = bytes.substr(3);
    else
        text = FromAnsiCodePage(bytes);
    return text.substr(0, text.find('\0'));
}

std::vector<std::string> SettingsLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '\r' && text[pos] != '\n') continue;
        lines.emplace_back(text.substr(start, pos - start));
        if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
        start = pos + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::optional<int> StampTypeFromSettingsText(std::string_view text) {
    std::optional<int> stamp_type;
    for (const auto& line : SettingsLines(text)) {
        const auto fields = DelimitedText(line, ':');
        if (fields.size() < 2 || fields[0] != "StampType") continue;
        if (const auto value = ReadIntegerText(fields[1])) stamp_type = *value;
    }
    return stamp_type;
}

std::optional<int> ReadSettingsFile(const std::string& path, FileSystem& file_system) {
    if (!file_system.IsExistingFile(path)) return std::nullopt;
    std::string bytes;
    if (const int error = file_system.ReadWholeFile(path, bytes))
        throw FileOpenError(path, ErrorText(error));
    return StampTypeFromSettingsText(DecodeSettingsText(bytes));
}

void WriteSettingsFile(const std::string& path, int stamp_type, FileSystem& file_system) {
    const std::string text = "StampType:" + std::to_string(stamp_type) + "\r\n";
    if (const int error = file_system.ReplaceFileContents(path, ToAnsiCodePage(text)))
        throw FileCreateError(path, ErrorText(error));
}

}  // namespace tavrel
