// The settings reader on whole-file bytes, through an in-memory file system, and
// the writer's output read back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings_file.h"
#include "base/parse_int32.h"
#include "base/split_fields.h"
#include "base/utf8.h"
#include "fuzz_check.h"
#include "memory_file_system.h"

namespace {

const std::string kPath = "/opt/tavrel/setup.ini";

// Well-formed UTF-8: every byte within a valid sequence (no stray
// continuation bytes, no overlong forms, nothing above U+10FFFF), and no
// surrogates, which only WTF-8 holds.
bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto sequence = tavrel::DecodeUtf8At(text, i);
        if (sequence.length == 0 ||
            (sequence.code_point >= 0xD800 && sequence.code_point <= 0xDFFF))
            return false;
        i += sequence.length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tavrel::fuzz::MemoryFileSystem file_system;
    file_system.AddFile(kPath, 0, bytes);

    // The file can always be read here, so no error may come out.
    const auto stamp_type = tavrel::ReadSettingsFile(kPath, file_system);

    // Only the file's first bytes are read; within them, the text as decoded.
    const std::string text = tavrel::SettingsTextWithin(bytes, tavrel::kSettingsReadLimit);
    if (bytes.size() <= tavrel::kSettingsReadLimit)
        TAVREL_FUZZ_CHECK(text == tavrel::DecodeSettingsText(bytes));
    TAVREL_FUZZ_CHECK(text.find('\0') == std::string::npos);
    TAVREL_FUZZ_CHECK(tavrel::StampTypeFromSettingsText(text) == stamp_type);
    // Text decoded from UTF-16 is well-formed UTF-8, whatever the units were.
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0)
        TAVREL_FUZZ_CHECK(IsValidUtf8(text));

    // Lines hold no line break, and written back one per line they cut the same.
    const auto lines = tavrel::SettingsLines(text);
    std::string rejoined;
    for (const auto& line : lines) {
        TAVREL_FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        rejoined += line + "\n";
    }
    TAVREL_FUZZ_CHECK(tavrel::SettingsLines(rejoined) == lines);

    if (stamp_type) {
        // The stamp type comes from a line that reads as "StampType" and that value.
        bool from_a_line = false;
        for (const auto& line : lines) {
            const auto fields = tavrel::SplitFields(line, ':');
            from_a_line |= fields.size() >= 2 && fields[0] == "StampType" &&
                           tavrel::ParseInt32(fields[1]) == stamp_type;
        }
        TAVREL_FUZZ_CHECK(from_a_line);

        // Whatever was read, the writer's file gives it back.
        tavrel::WriteSettingsFile(kPath, *stamp_type, file_system);
        std::string written;
        TAVREL_FUZZ_CHECK(file_system.ReadFileStart(kPath, 64, written) == 0);
        TAVREL_FUZZ_CHECK(written == "StampType:" + std::to_string(*stamp_type) + "\r\n");
        TAVREL_FUZZ_CHECK(tavrel::ReadSettingsFile(kPath, file_system) == stamp_type);
    }
    return 0;
}
