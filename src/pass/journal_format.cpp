#include "pass/journal_format.h"

#include <algorithm>
#include <charconv>

namespace tavrel {
namespace {

constexpr std::string_view kFormatVersion = "1";

void AppendField(std::string& out, std::string_view field) {
    out += ' ';
    out += std::to_string(field.size());
    out += ':';
    out.append(field);
}

// Reads records one at a time; each call to Next leaves the fields of one
// whole record, or fails and reads nothing more.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : rest_(bytes) {}

    bool Next(char& kind, std::vector<std::string_view>& fields) {
        fields.clear();
        if (rest_.empty()) return false;
        kind = rest_.front();
        std::string_view at = rest_.substr(1);
        while (!at.empty() && at.front() == ' ') {
            at.remove_prefix(1);
            std::size_t length = 0;
            const auto [end, error] = std::from_chars(at.data(), at.data() + at.size(), length);
            if (error != std::errc() || end == at.data() || end == at.data() + at.size() ||
                *end != ':')
                return false;
            at.remove_prefix(static_cast<std::size_t>(end - at.data()) + 1);
            if (length > at.size()) return false;
            fields.push_back(at.substr(0, length));
            at.remove_prefix(length);
        }
        if (at.empty() || at.front() != '\n') return false;
        rest_ = at.substr(1);
        return true;
    }

private:
    std::string_view rest_;
};

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

void AppendJournalHeader(std::string& out, const JournalHeader& header) {
    out += 'T';
    AppendField(out, kFormatVersion);
    AppendField(out, std::to_string(header.when));
    AppendField(out, header.mode);
    AppendField(out, std::to_string(header.stamp_type));
    AppendField(out, header.folder);
    out += '\n';
}

void AppendJournalRename(std::string& out, std::string_view before, std::string_view after) {
    out += 'R';
    AppendField(out, before);
    AppendField(out, after);
    out += '\n';
}

void AppendJournalUndo(std::string& out, std::size_t left_to_undo) {
    out += 'U';
    AppendField(out, std::to_string(left_to_undo));
    out += '\n';
}

std::optional<JournalContents> ParseJournal(std::string_view bytes) {
    RecordReader reader(bytes);
    char kind = 0;
    std::vector<std::string_view> fields;
    JournalContents contents;
    if (!reader.Next(kind, fields) || kind != 'T' || fields.size() != 5 ||
        fields[0] != kFormatVersion || !ParseNumber(fields[1], contents.header.when) ||
        !ParseNumber(fields[3], contents.header.stamp_type))
        return std::nullopt;
    contents.header.mode = fields[2];
    contents.header.folder = fields[4];
    std::optional<std::size_t> left;
    while (reader.Next(kind, fields)) {
        if (kind == 'R' && fields.size() == 2) {
            contents.renames.push_back({std::string(fields[0]), std::string(fields[1])});
        } else if (kind == 'U' && fields.size() == 1) {
            std::size_t count = 0;
            if (!ParseNumber(fields[0], count)) break;
            left = count;
        } else {
            break;
        }
    }
    // Never more than the renames read: an undo's count is of the renames it saw.
    contents.left_to_undo =
        left ? std::min(*left, contents.renames.size()) : contents.renames.size();
    return contents;
}

}  // namespace tavrel
