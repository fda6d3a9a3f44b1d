#include "memory_file_system.h"

#include <cerrno>

namespace tavrel::fuzz {

void MemoryFileSystem::AddFile(const std::string& path, std::int64_t last_write,
                               std::string contents) {
    entries.emplace(path, Entry{false, last_write, std::move(contents)});
}

void MemoryFileSystem::AddDirectory(const std::string& path) {
    entries.emplace(path, Entry{true, 0, {}});
}

const MemoryFileSystem::Entry* MemoryFileSystem::File(const std::string& path) const {
    const auto it = entries.find(path);
    return it == entries.end() || it->second.is_directory ? nullptr : &it->second;
}

std::optional<std::int64_t> MemoryFileSystem::ReadLastWriteTime(const std::string& path) {
    const Entry* file = File(path);
    if (file == nullptr) return std::nullopt;
    return file->last_write;
}

bool MemoryFileSystem::IsDirectory(const std::string& path) {
    const auto it = entries.find(path);
    return it != entries.end() && it->second.is_directory;
}

bool MemoryFileSystem::IsNameTaken(const std::string& path) {
    ++name_queries;
    return File(path) != nullptr;
}

int MemoryFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    const auto source = entries.find(from);
    if (source == entries.end() || to.empty()) return ENOENT;
    const std::string name = to.substr(to.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") return EINVAL;
    if (entries.count(to) != 0) return EEXIST;
    Entry moved = std::move(source->second);
    entries.erase(source);
    entries.emplace(to, std::move(moved));
    return 0;
}

std::optional<DirectoryListing> MemoryFileSystem::ReadDirectory(const std::string& path,
                                                                LastStepLink) {
    if (!IsDirectory(path)) return std::nullopt;
    DirectoryListing listing;
    const std::string prefix = path + "/";
    for (const auto& [key, entry] : entries) {
        if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string name = key.substr(prefix.size());
        if (name.find('/') == std::string::npos)
            listing.entries.push_back({name, entry.is_directory});
    }
    return listing;
}

bool MemoryFileSystem::IsExistingFile(const std::string& path) {
    return File(path) != nullptr;
}

int MemoryFileSystem::ReadFileStart(const std::string& path, std::size_t limit,
                                    std::string& contents) {
    if (IsDirectory(path)) return EISDIR;
    const Entry* file = File(path);
    if (file == nullptr) return ENOENT;
    contents = file->contents.substr(0, limit);
    return 0;
}

int MemoryFileSystem::ReplaceFileContents(const std::string& path, const std::string& contents) {
    if (IsDirectory(path)) return EISDIR;
    entries[path].contents = contents;
    return 0;
}

}  // namespace tavrel::fuzz
