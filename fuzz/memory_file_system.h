#pragma once
// A file system held in memory, for fuzz targets that drive StampFile and the
// settings file without touching the disk. Paths are plain keys: no
// normalisation, no links, and a parent directory need not exist.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "platform/file_system.h"

namespace tavrel::fuzz {

class MemoryFileSystem final : public FileSystem {
public:
    struct Entry {
        bool is_directory = false;
        std::int64_t last_write = 0;
        std::string contents;

        bool operator==(const Entry&) const = default;
    };

    std::map<std::string, Entry> entries;
    // How often IsNameTaken was asked: the collision search's attempts.
    std::size_t name_queries = 0;

    void AddFile(const std::string& path, std::int64_t last_write, std::string contents = {});
    void AddDirectory(const std::string& path);

    std::optional<std::int64_t> ReadLastWriteTime(const std::string& path) override;
    bool IsDirectory(const std::string& path) override;
    bool IsNameTaken(const std::string& path) override;
    // Refuses like renameat2 with RENAME_NOREPLACE: an existing target of either
    // kind, a missing source, and a target whose name is empty, "." or "..".
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override;
    bool IsExistingFile(const std::string& path) override;
    int ReadFileStart(const std::string& path, std::size_t limit, std::string& contents) override;
    int ReplaceFileContents(const std::string& path, const std::string& contents) override;

private:
    const Entry* File(const std::string& path) const;
};

}  // namespace tavrel::fuzz
