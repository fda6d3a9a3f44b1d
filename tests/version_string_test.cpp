#include "platform/posix/version_string.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "test_support.h"
#include "base/assertion_failure.h"

namespace tavrel {
namespace {

using namespace std::string_literals;

// A copy of the program whose record has its FileVersion key spelt otherwise.
std::string CopyWithoutFileVersion(const std::string& directory) {
    std::ifstream in(TAVREL_BINARY, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The record itself, not the texts of the code that reads it.
    const auto record = bytes.find("TavrelVersionRecord\0\\FixedFileInfo"s);
    const std::string key = "041103A4\\FileVersion"s + '\0';
    const auto at = bytes.find(key, record);
    if (record == std::string::npos || at == std::string::npos) return {};
    bytes[at + key.size() - 2] = 'N';
    const std::string path = directory + "/tavrel";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(VersionString, ReadFromTheProgramFile) {
    test::TempDir dir;
    test::MakeFile(dir / "empty", 0, "");
    test::MakeFile(dir / "not-elf", 0, std::string(200, 'x'));
    const std::string without_key = CopyWithoutFileVersion(dir.path());
    ASSERT_FALSE(without_key.empty());

    struct Case {
        std::string path;
        const char* outcome;
    } cases[] = {
        {TAVREL_BINARY, TAVREL_VERSION},
        {"/bin/true", "アサートの失敗 (Main, 327 行)"},
        {dir / "missing", "アサートの失敗 (Main, 327 行)"},
        {dir / "empty", "アサートの失敗 (Main, 327 行)"},
        {dir / "not-elf", "アサートの失敗 (Main, 327 行)"},
        {dir.path(), "アサートの失敗 (Main, 327 行)"},
        {without_key, "アサートの失敗 (Main, 329 行)"},
    };
    for (const auto& c : cases) {
        std::string outcome;
        try {
            outcome = GetVersionString(c.path);
        } catch (const AssertionFailure& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, c.outcome) << c.path;
    }
}

TEST(VersionString, RecordLookup) {
    const std::string record = "TavrelVersionRecord\0a\0one\0empty\0\0b\0two\0"s;
    struct Case {
        const char* name;
        std::string record;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"first entry", record, "a", "one"},
        {"empty value", record, "empty", ""},
        {"last entry", record, "b", "two"},
        {"missing key", record, "c", std::nullopt},
        {"a value is no key", record, "one", std::nullopt},
        {"no magic", "Other\0a\0one\0"s, "a", std::nullopt},
        {"value cut off", "TavrelVersionRecord\0a\0one"s, "a", std::nullopt},
        {"entries end at an empty key", "TavrelVersionRecord\0\0a\0one\0"s, "a", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(QueryVersionValue(c.record, c.key), c.value) << c.name;
}

}  // namespace
}  // namespace tavrel
