// StampFile against an in-memory file system: stamp text, name analysis,
// collision search and the rename that never replaces anything.
//
// Input, one item per line:
//   the stamp type (decimal; anything else means 1)
//   the file's last-write time in seconds since the epoch, UTC (decimal;
//     anything else means 2011-09-15 12:34:56)
//   the file's path
//   any number of "f<name>" (a file) or "d<name>" (a directory) lines: other
//     entries in the file's directory

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "memory_file_system.h"
#include "stamp/date_conversion_error.h"
#include "stamp/file_name.h"
#include "stamp/stamp_file.h"
#include "stamp/stamp_text.h"

namespace {

using tavrel::fuzz::MemoryFileSystem;

constexpr std::int64_t kDefaultTime = 1316090096;  // 2011-09-15 12:34:56 UTC

// A counter that moves on by a large odd step, so that every tag is drawn from
// a fresh seed and the collision search always ends.
class SteppingClock final : public tavrel::Clock {
public:
    std::uint32_t Counter() override { return value_ += 0x9E3779B9u; }

private:
    std::uint32_t value_ = 0;
};

template <typename Number>
Number ReadNumber(std::string_view text, Number fallback) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Runs StampFile; a DateConversionError, the only error it may raise, gives an
// empty result.
std::optional<std::string> Stamp(const std::string& path, int stamp_type,
                                 MemoryFileSystem& file_system) {
    SteppingClock clock;
    const auto formats = tavrel::RegionalFormats::Reference();
    try {
        return tavrel::StampFile(path, stamp_type, {file_system, formats, clock});
    } catch (const tavrel::DateConversionError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = Lines(std::string_view(reinterpret_cast<const char*>(data), size));
    if (lines.size() < 3) return 0;
    const int stamp_type = ReadNumber<int>(lines[0], 1);
    const auto last_write = ReadNumber<std::int64_t>(lines[1], kDefaultTime);
    const std::string path(lines[2]);
    const std::string directory = tavrel::SplitPath::Of(path).directory;

    MemoryFileSystem file_system;
    file_system.AddFile(path, last_write);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::string other = directory + std::string(lines[i].substr(1));
        if (lines[i][0] == 'f') file_system.AddFile(other, last_write);
        if (lines[i][0] == 'd') file_system.AddDirectory(other);
    }
    const auto before = file_system.entries;

    const auto result = Stamp(path, stamp_type, file_system);
    const auto time = tavrel::ToStampTime(last_write);
    // The error comes exactly when the time cannot be read or converted, and
    // then nothing has changed.
    TAVREL_FUZZ_CHECK(result.has_value() == time.has_value());
    if (!result || *result == path) {
        TAVREL_FUZZ_CHECK(file_system.entries == before);
        return 0;
    }

    // Renamed: within the same directory, onto a name nobody had, with nothing
    // lost or replaced, and the new name begins with the stamp text.
    TAVREL_FUZZ_CHECK(tavrel::SplitPath::Of(*result).directory == directory);
    TAVREL_FUZZ_CHECK(before.count(*result) == 0);
    TAVREL_FUZZ_CHECK(file_system.entries.count(path) == 0);
    TAVREL_FUZZ_CHECK(file_system.entries.size() == before.size());
    TAVREL_FUZZ_CHECK(file_system.entries.at(*result) == before.at(path));
    const std::string stamp =
        tavrel::StampTextFor(*time, stamp_type, tavrel::RegionalFormats::Reference());
    TAVREL_FUZZ_CHECK(result->compare(directory.size(), stamp.size(), stamp) == 0);

    // The stamp texts of the reference settings have the recognised layouts, so
    // stamping the renamed file again with the same type leaves it as it is.
    if (stamp_type >= 1) {
        const auto renamed_entries = file_system.entries;
        TAVREL_FUZZ_CHECK(Stamp(*result, stamp_type, file_system) == result);
        TAVREL_FUZZ_CHECK(file_system.entries == renamed_entries);
    }
    return 0;
}
