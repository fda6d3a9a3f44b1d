// Name analysis with Windows' separators: "\", "/" and ":" end the directory
// part.

#include "stamp/file_name.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

TEST(SplitPath, BackslashSlashAndColonSeparate) {
    struct Case {
        const char* path;
        const char* directory;
        const char* base_name;
        const char* extension;
    } cases[] = {
        {"C:\\photos\\IMG_0001.jpg", "C:\\photos\\", "IMG_0001", ".jpg"},
        {"C:notes.txt", "C:", "notes", ".txt"},
        {"notes", "", "notes", ""},
        {"C:\\a.txt.b.txt", "C:\\", "a.txt.b", ".txt"},
        {"\\\\server\\share\\.profile", "\\\\server\\share\\", "", ".profile"},
        {"C:\\dir\\a/b.txt", "C:\\dir\\a/", "b", ".txt"},
        {"C:/Photos/a.jpg", "C:/Photos/", "a", ".jpg"},
        {"C:\\dir.d\\noext", "C:\\dir.d\\", "noext", ""},
    };
    for (const auto& c : cases) {
        const SplitPath split = SplitPath::Of(c.path);
        EXPECT_EQ(split.directory, c.directory) << c.path;
        EXPECT_EQ(split.base_name, c.base_name) << c.path;
        EXPECT_EQ(split.extension, c.extension) << c.path;
        EXPECT_EQ(split.Compose("20110915_", ""),
                  std::string(c.directory) + "20110915_" + c.base_name + c.extension);
    }
}

}  // namespace
}  // namespace tavrel
