#include "collect/file_list.h"

#include <algorithm>
#include <functional>

namespace tavrel {

std::uint64_t FileList::KeyHash(std::string_view path) const {
    return std::hash<std::string>{}(ordering_.FoldKey(path));
}

std::size_t FileList::PositionOf(std::uint64_t serial) const {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), serial,
        [](const Entry& entry, std::uint64_t value) { return entry.serial < value; });
    return static_cast<std::size_t>(it - entries_.begin());
}

void FileList::UpdateIndex() {
    // Serials grow with the position, so the entries not yet indexed are the
    // list's tail.
    const std::size_t first = PositionOf(indexed_end_);
    index_.reserve(index_.size() + (entries_.size() - first));
    for (std::size_t i = first; i < entries_.size(); ++i)
        index_.emplace(KeyHash(entries_[i].path), entries_[i].serial);
    indexed_end_ = next_serial_;
}

void FileList::DropIndex() {
    // Swapped away rather than cleared, so that its memory goes too.
    std::unordered_multimap<std::uint64_t, std::uint64_t>().swap(index_);
    // Nothing is indexed: every entry counts as appended since.
    indexed_end_ = 0;
}

void FileList::Unindex(std::size_t index) {
    const auto serial = entries_[index].serial;
    auto [first, last] = index_.equal_range(KeyHash(entries_[index].path));
    for (auto it = first; it != last; ++it) {
        if (it->second == serial) {
            index_.erase(it);
            return;
        }
    }
}

void FileList::EraseSorted(const std::vector<std::size_t>& positions) {
    std::size_t next = 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (next < positions.size() && positions[next] == i) {
            ++next;
            continue;
        }
        if (kept != i) entries_[kept] = std::move(entries_[i]);
        ++kept;
    }
    entries_.resize(kept);
}

void FileList::Clear() {
    std::vector<Entry>().swap(entries_);
    DropIndex();
}

void FileList::Append(std::string path) {
    entries_.push_back(Entry{std::move(path), next_serial_++});
}

void FileList::AppendAll(std::vector<std::string>& paths) {
    // One allocation for a big batch; small batches still grow the list
    // geometrically, so many small drops do not copy it again and again.
    const std::size_t needed = entries_.size() + paths.size();
    if (needed > entries_.capacity())
        entries_.reserve(std::max(needed, entries_.capacity() + entries_.capacity() / 2));
    for (auto& path : paths) Append(std::move(path));
}

std::string FileList::Exchange(std::size_t index, std::string path) {
    if (path == entries_[index].path) return path;
    // The rename pass rewrites entry after entry; keeping the index up to date
    // would cost two case foldings a file. The next merge builds it afresh.
    if (entries_[index].serial < indexed_end_) DropIndex();
    std::swap(entries_[index].path, path);
    return path;
}

void FileList::RemoveAt(std::vector<std::size_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto index : indices)
        if (entries_[index].serial < indexed_end_) Unindex(index);
    EraseSorted(indices);
}

std::vector<std::size_t> FileList::RemoveFirstMatches(const std::vector<std::string>& paths) {
    // The usual first batch finds nothing to look for, and an empty batch nothing
    // to look with: neither needs the index.
    if (entries_.empty() || paths.empty()) return {};
    UpdateIndex();
    std::vector<std::size_t> removed;
    for (const auto& path : paths) {
        const std::string key = ordering_.FoldKey(path);
        auto [first, last] = index_.equal_range(std::hash<std::string>{}(key));
        auto best = last;
        for (auto it = first; it != last; ++it) {
            if (best != last && it->second > best->second) continue;
            // A shared hash is not yet equality: compare the folded keys.
            if (ordering_.FoldKey(entries_[PositionOf(it->second)].path) == key) best = it;
        }
        if (best == last) continue;
        removed.push_back(PositionOf(best->second));
        // Out of the index at once, so the next equal path finds the next entry.
        index_.erase(best);
    }
    if (removed.empty()) return removed;
    std::sort(removed.begin(), removed.end());
    EraseSorted(removed);
    return removed;
}

}  // namespace tavrel
