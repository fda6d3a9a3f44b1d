#include "app/settings_file.h"

#include "base/parse_int32.h"
#include "base/split_fields.h"
#include "base/utf8.h"
#include "platform/code_page.h"
#include "platform/name_rules.h"

namespace tavrel {
namespace {

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

// The bytes as UTF-8 text by their byte-order mark, NULs and all.
std::string Decoded(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(bytes.substr(2), /*big_endian=*/false);
    if (bytes.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(bytes.substr(2), /*big_endian=*/true);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
    return FromAnsiCodePage(bytes);
}

// The value of the last line whose first field is exactly `key` and whose
// second field reads as an integer.
std::optional<int> SettingsValue(std::string_view text, std::string_view key) {
    std::optional<int> found;
    for (const auto& line : SettingsLines(text)) {
        const auto fields = SplitFields(line, ':');
        if (fields.size() < 2 || fields[0] != key) continue;
        if (const auto value = ParseInt32(fields[1])) found = *value;
    }
    return found;
}

}  // namespace

FileOpenError::FileOpenError(const std::string& path, const std::string& reason,
                             const void* address)
    : Error("ファイル " + path + " は開けません。 " + reason + " ", address) {}

FileCreateError::FileCreateError(const std::string& path, const std::string& reason,
                                 const void* address)
    : Error("ファイル \"" + path + "\" を作成できません。" + reason, address) {}

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

std::string SettingsFilePath(const std::string& executable_path,
                             const std::string& separate_folder) {
    return separate_folder.empty() ? SettingsFilePath(executable_path)
                                   : separate_folder + "/setup.ini";
}

std::string DecodeSettingsText(std::string_view bytes) {
    std::string text = Decoded(bytes);
    return text.substr(0, text.find('\0'));
}

std::string SettingsTextWithin(std::string_view bytes, std::size_t limit) {
    std::string text = Decoded(bytes.substr(0, limit));
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);  // the text ends here, whatever follows
    } else if (bytes.size() > limit) {
        // The file goes on, so the last line here may be cut short, and a cut
        // line could read as another value ("StampType:1" of "StampType:12"):
        // only whole lines count.
        const auto last_break = text.find_last_of("\r\n");
        text.resize(last_break == std::string::npos ? 0 : last_break + 1);
    }
    return text;
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
    return SettingsValue(text, "StampType");
}

bool DateTakenFromSettingsText(std::string_view text) {
    return SettingsValue(text, "DateTaken") == 1;
}

StoredSettings ReadStoredSettings(const std::string& path, FileSystem& file_system) {
    if (!file_system.IsExistingFile(path)) return {};
    std::string bytes;
    // One byte past the limit tells whether the file goes on beyond it.
    if (const int error = file_system.ReadFileStart(path, kSettingsReadLimit + 1, bytes))
        throw FileOpenError(path, ErrorText(error));
    const std::string text = SettingsTextWithin(bytes, kSettingsReadLimit);
    return {StampTypeFromSettingsText(text), DateTakenFromSettingsText(text)};
}

std::optional<int> ReadSettingsFile(const std::string& path, FileSystem& file_system) {
    return ReadStoredSettings(path, file_system).stamp_type;
}

void WriteSettingsFile(const std::string& path, int stamp_type, FileSystem& file_system,
                       bool date_taken) {
    std::string text = "StampType:" + std::to_string(stamp_type) + "\r\n";
    if (date_taken) text += "DateTaken:1\r\n";
    if (const int error = file_system.ReplaceFileContents(path, ToAnsiCodePage(text)))
        throw FileCreateError(path, ErrorText(error));
}

}  // namespace tavrel
