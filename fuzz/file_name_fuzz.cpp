// Name analysis on any path: the split into directory, base name and extension,
// stamp recognition, and the already-stamped test. Input: the path.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "stamp/file_name.h"

namespace {

// Stamp texts of both recognised layouts, at the ends of the stamp's range.
constexpr std::string_view kStamps[] = {"20110915_", "20110915-123456_", "19800101_",
                                        "21071231-235958_"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const auto split = tavrel::SplitPath::Of(path);

    // The parts put together again give the path, byte for byte.
    TAVREL_FUZZ_CHECK(split.Compose("", "") == path);
    TAVREL_FUZZ_CHECK(split.directory.empty() || split.directory.back() == '/');
    TAVREL_FUZZ_CHECK(split.base_name.find('/') == std::string::npos);
    TAVREL_FUZZ_CHECK(split.extension.find('/') == std::string::npos);
    if (split.extension.empty())
        TAVREL_FUZZ_CHECK(split.base_name.find('.') == std::string::npos);
    else
        TAVREL_FUZZ_CHECK(split.extension[0] == '.' &&
                          split.extension.find('.', 1) == std::string::npos);

    const std::string& base = split.base_name;
    const std::size_t length = tavrel::RecognisedStampLength(base);
    TAVREL_FUZZ_CHECK(length == 0 || length == 9 || length == 16);
    TAVREL_FUZZ_CHECK(length <= base.size());
    if (length == 9) TAVREL_FUZZ_CHECK(base[8] == '_');
    if (length == 16) TAVREL_FUZZ_CHECK(base[8] == '-' && base[15] == '_');

    for (const std::string_view stamp : kStamps) {
        if (tavrel::IsAlreadyStamped(base, stamp)) {
            TAVREL_FUZZ_CHECK(base.compare(0, stamp.size(), stamp) == 0);
            TAVREL_FUZZ_CHECK(base[stamp.size()] == '_');
            continue;
        }
        // Stamping: the old stamp goes, the new one goes in front. The new name
        // splits into the same directory and extension, and the next pass with
        // the same stamp either leaves it alone or recognises exactly that stamp,
        // so it composes the same name again and renames nothing.
        const std::string stamped_base = std::string(stamp) + base.substr(length);
        const std::string renamed =
            tavrel::SplitPath{split.directory, stamped_base, split.extension}.Compose("", "");
        const auto next = tavrel::SplitPath::Of(renamed);
        TAVREL_FUZZ_CHECK(next.directory == split.directory);
        TAVREL_FUZZ_CHECK(next.base_name == stamped_base);
        TAVREL_FUZZ_CHECK(next.extension == split.extension);
        if (!tavrel::IsAlreadyStamped(stamped_base, stamp))
            TAVREL_FUZZ_CHECK(tavrel::RecognisedStampLength(stamped_base) == stamp.size());
    }
    return 0;
}
