#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "app/settings_file.h"
#include "collect/collect_directory.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/wtf8.h"
#include "stamp/date_conversion_error.h"
#include "stamp/stamp_file.h"
#include "stamp/stamp_text.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

using test::MakeDirectory;
using test::MakeFile;
using test::Names;
using test::ReadFile;
using test::TempDir;
using test::UtcSeconds;

const std::int64_t kSeptember14 = UtcSeconds(2011, 9, 14, 5, 25, 37);

// Another process holds the file open with no sharing until the object ends.
class HeldByAnotherProcess {
public:
    explicit HeldByAnotherProcess(const std::string& path) {
        const std::wstring id = std::to_wstring(::GetCurrentProcessId());
        const std::wstring ready_name = L"TavrelTestReady" + id;
        const std::wstring release_name = L"TavrelTestRelease" + id;
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, ready_name.c_str());
        release_ = ::CreateEventW(nullptr, TRUE, FALSE, release_name.c_str());
        const std::string helper = test::ProgramDirectory() + TAVREL_TEST_HELPER;
        std::wstring line =
            L"helper hold \"" + FromWtf8(path) + L"\" " + ready_name + L" " + release_name;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(FromWtf8(helper).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process_))
            ADD_FAILURE() << "cannot start " << helper;
        // Until the helper holds the file, or has ended without holding it.
        const HANDLE waits[] = {ready_, process_.hProcess};
        held_ = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
    }
    ~HeldByAnotherProcess() {
        ::SetEvent(release_);
        ::WaitForSingleObject(process_.hProcess, INFINITE);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(ready_);
        ::CloseHandle(release_);
    }
    bool held() const { return held_; }

private:
    HANDLE ready_;
    HANDLE release_;
    PROCESS_INFORMATION process_{};
    bool held_ = false;
};

TEST(Win32FileSystem, TimeCannotBeReadFromAFileHeldOpenWithoutSharing) {
    TempDir dir;
    const std::string path = dir / "held.jpg";
    MakeFile(path, kSeptember14);
    Win32FileSystem file_system;
    ASSERT_EQ(file_system.ReadLastWriteTime(path), UtcSeconds(2011, 9, 14, 5, 25, 37));
    {
        HeldByAnotherProcess holder(path);
        ASSERT_TRUE(holder.held());
        EXPECT_FALSE(file_system.ReadLastWriteTime(path));
        // Under every stamp type, 0 included, and before anything is renamed.
        for (const int stamp_type : {0, 1, 2}) {
            try {
                MakeStampText(path, stamp_type, file_system, RegionalFormats::Reference());
                ADD_FAILURE() << "no error for stamp type " << stamp_type;
            } catch (const DateConversionError& error) {
                EXPECT_STREQ(error.what(), "日付に変換できない値が渡されました");
            }
        }
    }
    EXPECT_TRUE(file_system.ReadLastWriteTime(path));  // released again
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"held.jpg"});
}

TEST(Win32FileSystem, TimeOfADirectoryOrAMissingFileCannotBeRead) {
    TempDir dir;
    MakeDirectory(dir / "folder");
    Win32FileSystem file_system;
    EXPECT_FALSE(file_system.ReadLastWriteTime(dir / "folder"));
    EXPECT_FALSE(file_system.ReadLastWriteTime(dir / "missing.jpg"));
}

TEST(Win32FileSystem, MoveFileNeverReplaces) {
    TempDir dir;
    MakeFile(dir / "a.jpg", kSeptember14, "a");
    MakeFile(dir / "b.jpg", kSeptember14, "b");
    MakeDirectory(dir / "folder");
    Win32FileSystem file_system;
    EXPECT_EQ(file_system.RenameNoReplace(dir / "a.jpg", dir / "b.jpg"), ERROR_ALREADY_EXISTS);
    EXPECT_NE(file_system.RenameNoReplace(dir / "a.jpg", dir / "folder"), 0);
    EXPECT_EQ(ReadFile(dir / "a.jpg"), "a");
    EXPECT_EQ(ReadFile(dir / "b.jpg"), "b");
    EXPECT_EQ(file_system.RenameNoReplace(dir / "a.jpg", dir / "c.jpg"), 0);
    EXPECT_EQ(ReadFile(dir / "c.jpg"), "a");
}

TEST(Win32FileSystem, TakenNamesAreFilesNotDirectories) {
    TempDir dir;
    MakeFile(dir / "file.jpg", kSeptember14);
    MakeDirectory(dir / "folder");
    Win32FileSystem file_system;
    EXPECT_TRUE(file_system.IsNameTaken(dir / "file.jpg"));
    EXPECT_FALSE(file_system.IsNameTaken(dir / "folder"));
    EXPECT_FALSE(file_system.IsNameTaken(dir / "missing.jpg"));
    EXPECT_FALSE(file_system.IsNameTaken(dir / "missing\\deeper.jpg"));
    EXPECT_TRUE(file_system.IsDirectory(dir / "folder"));
    EXPECT_FALSE(file_system.IsDirectory(dir / "file.jpg"));
    EXPECT_TRUE(file_system.IsExistingFile(dir / "file.jpg"));
    EXPECT_FALSE(file_system.IsExistingFile(dir / "folder"));
}

TEST(Win32FileSystem, StampFileAvoidsATakenNameWithACollisionTag) {
    TempDir dir;
    MakeFile(dir / "IMG_0001.jpg", kSeptember14, "moved");
    MakeFile(dir / "20110914_IMG_0001.jpg", kSeptember14, "kept");
    Win32FileSystem file_system;
    PerformanceCounterClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const StampContext context{file_system, formats, clock};
    const std::string result = StampFile(dir / "IMG_0001.jpg", 1, context);
    ASSERT_EQ(result.size(), (dir / "20110914_IMG_0001.xxxxxx.jpg").size()) << result;
    EXPECT_EQ(result.rfind(dir / "20110914_IMG_0001.", 0), 0u) << result;
    EXPECT_EQ(ReadFile(result), "moved");
    EXPECT_EQ(ReadFile(dir / "20110914_IMG_0001.jpg"), "kept");
}

TEST(Win32FileSystem, WalkListsHiddenSystemAndReadOnlyFilesAtEveryDepth) {
    TempDir dir;
    MakeDirectory(dir / "sub");
    MakeDirectory(dir / "hidden folder");
    MakeDirectory(dir / "empty");
    struct File {
        const char* name;
        DWORD attributes;
    } files[] = {
        {"plain.jpg", FILE_ATTRIBUTE_NORMAL},
        {"hidden.jpg", FILE_ATTRIBUTE_HIDDEN},
        {"system.jpg", FILE_ATTRIBUTE_SYSTEM},
        {"both.jpg", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"readonly.jpg", FILE_ATTRIBUTE_READONLY},
        {".profile", FILE_ATTRIBUTE_NORMAL},
        {".x", FILE_ATTRIBUTE_NORMAL},
        {"sub\\deep.jpg", FILE_ATTRIBUTE_HIDDEN},
        {"hidden folder\\inside.jpg", FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& file : files) {
        MakeFile(dir / file.name, kSeptember14);
        ASSERT_TRUE(::SetFileAttributesW(FromWtf8(dir / file.name).c_str(), file.attributes));
    }
    ::SetFileAttributesW(FromWtf8(dir / "hidden folder").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Win32FileSystem file_system;
    PendingList pending;
    CollectDirectory(dir.path(), pending, file_system);
    std::sort(pending.begin(), pending.end());
    std::vector<std::string> expected;
    for (const auto& file : files) expected.push_back(dir / file.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(pending, expected);
    // A base that already ends in a backslash gets no second one.
    PendingList again;
    CollectDirectory(dir.path() + "\\sub\\", again, file_system);
    EXPECT_EQ(again, PendingList{dir / "sub\\deep.jpg"});
}

// A junction met inside a walk is neither entered nor listed.
TEST(Win32FileSystem, WalkDoesNotEnterAJunction) {
    TempDir dir;
    MakeDirectory(dir / "walked");
    MakeDirectory(dir / "outside");
    MakeFile(dir / "walked\\in.jpg", kSeptember14);
    MakeFile(dir / "outside\\out.jpg", kSeptember14);
    if (!::CreateSymbolicLinkW(
            FromWtf8(dir / "walked\\link").c_str(), FromWtf8(dir / "outside").c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        GTEST_SKIP() << "directory links cannot be made here (error " << ::GetLastError() << ")";
    const DWORD attributes = ::GetFileAttributesW(FromWtf8(dir / "walked\\link").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no junction can be made here: the directory link is not a reparse point "
                        "(Wine makes a Unix symbolic link of it; "
                        "WalkEndsAtALinkBackToAnAncestor covers that)";
    Win32FileSystem file_system;
    PendingList pending;
    CollectDirectory(dir / "walked", pending, file_system);
    EXPECT_EQ(pending, PendingList{dir / "walked\\in.jpg"});
    // Named directly, the link is walked like any directory.
    pending.clear();
    CollectDirectory(dir / "walked\\link", pending, file_system);
    EXPECT_EQ(pending, PendingList{dir / "walked\\link\\out.jpg"});
}

// A link back to a directory the walk is in ends the walk there, whether the
// link is reported as a reparse point (Windows) or as a plain directory (Wine,
// which makes a Unix symbolic link of it).
TEST(Win32FileSystem, WalkEndsAtALinkBackToAnAncestor) {
    TempDir dir;
    MakeDirectory(dir / "walked");
    MakeDirectory(dir / "walked\\sub");
    MakeFile(dir / "walked\\sub\\in.jpg", kSeptember14);
    if (!::CreateSymbolicLinkW(
            FromWtf8(dir / "walked\\sub\\loop").c_str(), FromWtf8(dir / "walked").c_str(),
            SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        GTEST_SKIP() << "directory links cannot be made here (error " << ::GetLastError() << ")";
    Win32FileSystem file_system;
    PendingList pending;
    CollectDirectory(dir / "walked", pending, file_system);
    EXPECT_EQ(pending, PendingList{dir / "walked\\sub\\in.jpg"});
}

TEST(Win32FileSystem, SettingsFileIsReadUpToTheLimit) {
    TempDir dir;
    const std::string big(kSettingsReadLimit + 1000, 'x');
    MakeFile(dir / "setup.ini", kSeptember14, big);
    Win32FileSystem file_system;
    std::string contents;
    EXPECT_EQ(file_system.ReadFileStart(dir / "setup.ini", kSettingsReadLimit, contents), 0);
    EXPECT_EQ(contents.size(), kSettingsReadLimit);
    EXPECT_NE(file_system.ReadFileStart(dir / "missing.ini", kSettingsReadLimit, contents), 0);
}

TEST(Win32FileSystem, SettingsFileIsReplacedWholeOrNotAtAll) {
    TempDir dir;
    Win32FileSystem file_system;
    const std::string path = dir.path() + "/setup.ini";  // the settings path has a "/"
    EXPECT_EQ(file_system.ReplaceFileContents(path, "StampType:2\r\n"), 0);
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:2\r\n");
    EXPECT_EQ(file_system.ReplaceFileContents(path, "StampType:0\r\n"), 0);
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:0\r\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"setup.ini"});
    // A read-only file is not replaced, and no temporary file is left behind.
    ASSERT_TRUE(::SetFileAttributesW(FromWtf8(dir / "setup.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(file_system.ReplaceFileContents(path, "StampType:1\r\n"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:0\r\n");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"setup.ini"});
    // A folder that does not exist cannot take the file; the reason is the system's text.
    const int error = file_system.ReplaceFileContents(dir / "missing\\setup.ini", "x");
    EXPECT_NE(error, 0);
    EXPECT_FALSE(ErrorText(error).empty());
    EXPECT_NE(ErrorText(error).back(), '\n');
}

}  // namespace
}  // namespace tavrel::win32
