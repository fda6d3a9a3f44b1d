#include "app/pasted_text.h"

namespace tavrel {
namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// "scheme:" with a scheme of RFC 3986: a letter, then letters, digits, "+",
// "-" or ".". A drive letter ("C:") is too short to be one.
bool IsUri(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(line[0])) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = line[i];
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// Calls `take` with every line of the text without its line end.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        take(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace

PastedLines SplitPastedText(std::string_view text, bool (*is_absolute)(std::string_view path)) {
    PastedLines lines;
    ForEachLine(text, [&](std::string_view line) {
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (line.empty() || line.front() == '#') return;
        if (is_absolute(line))
            lines.paths.emplace_back(line);
        else if (IsUri(line))
            lines.uris.emplace_back(line);
    });
    return lines;
}

std::vector<std::string> CopiedFilesUris(std::string_view list) {
    std::vector<std::string> uris;
    bool first = true;
    ForEachLine(list, [&](std::string_view line) {
        if (!first && !line.empty()) uris.emplace_back(line);
        first = false;
    });
    return uris;
}

bool IsAbsolutePosixPath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

bool IsAbsoluteWindowsPath(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) {
        const char drive = path[0];
        return (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
    }
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

}  // namespace tavrel
