#pragma once
// Keys by which the pass that reads ahead recognises one folder, one file or
// one folder entry whatever path reaches it: a folder reached through a link,
// a file listed twice or through a hard or symbolic link.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace tavrel {

// One entry of a folder: the folder's identity and the entry's name in it.
struct EntryKey {
    FileIdentity folder;
    std::string name;
    bool operator==(const EntryKey&) const = default;
};

// Hashes for FileIdentity and EntryKey, for unordered containers.
struct PassKeyHash {
    std::size_t operator()(const FileIdentity& identity) const noexcept {
        // Inode numbers differ in their low bits, devices are few: the device
        // is mixed in after the inode is spread over the whole word.
        return static_cast<std::size_t>((identity.inode * 0x9E3779B97F4A7C15ull) ^
                                        (identity.device + 0x632BE59BD9B4E019ull));
    }
    std::size_t operator()(const EntryKey& key) const noexcept {
        return (*this)(key.folder) ^ (std::hash<std::string>{}(key.name) * 31u);
    }
};

}  // namespace tavrel
