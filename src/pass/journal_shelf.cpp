#include "pass/journal_shelf.h"

#include <algorithm>
#include <cerrno>

namespace tavrel {
namespace {

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSuffix = ".journal";
constexpr std::size_t kDigits = 10;

// The sequence number of a journal's file name; empty for other names.
std::optional<std::uint64_t> SequenceOf(const std::string& name) {
    if (name.size() != kPrefix.size() + kDigits + kSuffix.size() ||
        name.compare(0, kPrefix.size(), kPrefix) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return std::nullopt;
    std::uint64_t sequence = 0;
    for (std::size_t i = kPrefix.size(); i < kPrefix.size() + kDigits; ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
        sequence = sequence * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    return sequence;
}

std::string NameOf(std::uint64_t sequence) {
    std::string digits = std::to_string(sequence);
    if (digits.size() < kDigits) digits.insert(0, kDigits - digits.size(), '0');
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

}  // namespace

std::vector<std::string> JournalNames(JournalFolder& folder) {
    std::vector<std::string> names = folder.Names();
    std::erase_if(names, [](const std::string& name) { return !SequenceOf(name); });
    // Same length, same prefix: the byte order is the sequence's order.
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<AppendingFile> StartJournal(JournalFolder& folder, std::string& name, int& error) {
    error = folder.Make();
    if (error != 0) return nullptr;
    const std::vector<std::string> names = JournalNames(folder);
    const std::size_t keep_old = kJournalsKept - 1;
    for (std::size_t i = 0; i + keep_old < names.size(); ++i) folder.Remove(names[i]);
    std::uint64_t sequence = names.empty() ? 1 : *SequenceOf(names.back()) + 1;
    // Another run may start at the same moment and take the same number: a
    // name found taken is passed over, any other refusal ends the attempt.
    for (int tries = 0; tries < 100; ++tries, ++sequence) {
        name = NameOf(sequence);
        if (auto file = folder.CreateNew(name, error)) return file;
        const std::vector<std::string> now = folder.Names();
        if (std::find(now.begin(), now.end(), name) == now.end()) break;
    }
    name.clear();
    return nullptr;
}

std::optional<StoredRun> NewestRunToUndo(JournalFolder& folder) {
    const std::vector<std::string> names = JournalNames(folder);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        std::string bytes;
        if (folder.Read(*name, bytes) != 0) continue;
        auto contents = ParseJournal(bytes);
        if (contents && contents->left_to_undo > 0) return StoredRun{*name, std::move(*contents)};
    }
    return std::nullopt;
}

int MarkUndone(JournalFolder& folder, const std::string& name, std::size_t left_to_undo) {
    int error = 0;
    const auto file = folder.OpenToAppend(name, error);
    if (!file) return error;
    std::string record;
    AppendJournalUndo(record, left_to_undo);
    return file->Append(record);
}

}  // namespace tavrel
