#include "stamp/file_name.h"

#include "base/parse_int32.h"
#include "platform/name_rules.h"

namespace tavrel {

SplitPath SplitPath::Of(std::string_view path) {
    SplitPath split;
    split.directory.assign(FolderTextOf(path));
    const std::string_view name = path.substr(split.directory.size());
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        split.base_name.assign(name);
    } else {
        split.base_name.assign(name.substr(0, dot));
        split.extension.assign(name.substr(dot));
    }
    return split;
}

std::string SplitPath::Compose(std::string_view stamp, std::string_view collision_tag) const {
    std::string path;
    path.reserve(directory.size() + stamp.size() + base_name.size() + collision_tag.size() +
                 extension.size());
    path += directory;
    path += stamp;
    path += base_name;
    path += collision_tag;
    path += extension;
    return path;
}

std::size_t RecognisedStampLength(std::string_view base_name) {
    if (base_name.size() < 9) return 0;
    // A stretch beyond the end of the name is empty, and so unreadable.
    auto field = [&](std::size_t from, std::size_t length) {
        return ParseInt32(from < base_name.size() ? base_name.substr(from, length)
                                                  : std::string_view());
    };
    const auto year = field(0, 4);
    const auto month = field(4, 2);
    const auto day = field(6, 2);
    if (!year || !month || !day) return 0;
    const bool date_ok = *year > 1900 && *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31;
    if (base_name[8] == '_') return date_ok ? 9 : 0;
    if (base_name[8] != '-') return 0;
    const auto hour = field(9, 2);
    const auto minute = field(11, 2);
    const auto second = field(13, 2);
    if (!hour || !minute || !second) return 0;
    if (base_name.size() < 16 || base_name[15] != '_') return 0;
    // Hour, minute and second have upper bounds only: a field reading -1 passes.
    return date_ok && *hour <= 23 && *minute <= 59 && *second <= 59 ? 16 : 0;
}

bool IsAlreadyStamped(std::string_view base_name, std::string_view stamp) {
    if (base_name.size() < 9 || base_name.size() < stamp.size() + 1) return false;
    return base_name.substr(0, stamp.size()) == stamp && base_name[stamp.size()] == '_';
}

}  // namespace tavrel
