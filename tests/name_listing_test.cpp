#include "platform/name_listing.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/name_rules.h"

namespace tavrel {
namespace {

// A file system that only lists: the directories it knows, and the directory
// asked for last.
class ListingOnly : public FileSystem {
public:
    std::map<std::string, DirectoryListing> directories;
    std::string asked;

    std::optional<DirectoryListing> ReadDirectory(const std::string& path,
                                                  LastStepLink link) override {
        EXPECT_EQ(link, LastStepLink::kFollow);
        asked = path;
        const auto found = directories.find(path);
        if (found == directories.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::int64_t> ReadLastWriteTime(const std::string&) override { return {}; }
    bool IsDirectory(const std::string&) override { return false; }
    bool IsNameTaken(const std::string&) override { return false; }
    int RenameNoReplace(const std::string&, const std::string&) override { return 0; }
    bool IsExistingFile(const std::string&) override { return false; }
    int ReadFileStart(const std::string&, std::size_t, std::string&) override { return 0; }
    int ReplaceFileContents(const std::string&, const std::string&) override { return 0; }
};

TEST(NameListing, TheEntryOfThatNameInItsDirectorySettlesIt) {
    const std::string dir = std::string("photos") + kDirectorySeparator;
    ListingOnly file_system;
    file_system.directories[dir].entries = {
        {"a.jpg", false, false},  {"folder", true, false}, {"to-folder", true, true},
        {"to-file", false, true}, {".", true, false},
    };
    file_system.directories["."].entries = {{"bare.jpg", false, false}};
    struct Case {
        std::string path;
        std::string directory;  // the directory listed
        bool taken;
    } cases[] = {
        {dir + "a.jpg", dir, true},
        {dir + "A.JPG", dir, false},  // names compare byte for byte
        {dir + "folder", dir, false},
        {dir + "to-folder", dir, false},
        {dir + "to-file", dir, true},
        {dir + "missing.jpg", dir, false},
        {dir, dir, false},  // no name at all
        {"bare.jpg", ".", true},
        {std::string("gone") + kDirectorySeparator + "a.jpg",
         std::string("gone") + kDirectorySeparator, false},  // cannot be listed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNameTakenInListing(file_system, c.path), c.taken) << c.path;
        EXPECT_EQ(file_system.asked, c.directory) << c.path;
    }
}

}  // namespace
}  // namespace tavrel
