#include "platform/posix/version_string.h"

#include "base/assertion_failure.h"
#include "platform/posix/embedded_section.h"

namespace tavrel {
namespace {

constexpr std::string_view kRecordMagic = "TavrelVersionRecord";

// The NUL-terminated text at the position, moving the position past it; empty
// when no terminator follows.
std::optional<std::string_view> NextText(std::string_view record, std::size_t& position) {
    const std::size_t end = record.find('\0', position);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view text = record.substr(position, end - position);
    position = end + 1;
    return text;
}

}  // namespace

std::optional<std::string> QueryVersionValue(std::string_view record, std::string_view key) {
    std::size_t position = 0;
    if (NextText(record, position) != kRecordMagic) return std::nullopt;
    while (position < record.size()) {
        const auto entry_key = NextText(record, position);
        if (!entry_key || entry_key->empty()) return std::nullopt;  // end of the entries
        const auto value = NextText(record, position);
        if (!value) return std::nullopt;
        if (*entry_key == key) return std::string(*value);
    }
    return std::nullopt;
}

std::string GetVersionString(const std::string& executable_path) {
    const auto record = ReadEmbeddedSection(executable_path, kVersionSection);
    if (!record || record->empty()) throw AssertionFailure("Main", 327);
    const auto version = QueryVersionValue(*record, kFileVersionKey);
    if (!version) throw AssertionFailure("Main", 329);
    return *version;
}

}  // namespace tavrel
