// Tavrel.exe itself in command-line mode: a copy of the program in a folder of
// its own, with or without a settings file beside it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/wtf8.h"
#include "windows_test_support.h"

namespace tavrel {
namespace {

using test::MakeDirectory;
using test::MakeFile;
using test::Names;
using test::ReadFile;
using test::TempDir;
using test::UtcSeconds;

// Copies Tavrel.exe into dir\program and returns the copy's path.
std::string CopyTavrel(const TempDir& dir) {
    MakeDirectory(dir / "program");
    const std::string copy = dir / "program\\Tavrel.exe";
    EXPECT_TRUE(::CopyFileW(win32::FromWtf8(test::ProgramDirectory() + TAVREL_EXE).c_str(),
                            win32::FromWtf8(copy).c_str(), TRUE));
    return copy;
}

TEST(TavrelExe, RenamesWithTheStoredStampTypeAndLeavesTheSettingsAlone) {
    TempDir dir;
    const std::string tavrel = CopyTavrel(dir);
    MakeFile(dir / "program\\setup.ini", UtcSeconds(2020, 1, 1), "StampType:2\r\n");
    MakeDirectory(dir / "photos");
    MakeFile(dir / "photos\\IMG_0001.jpg", UtcSeconds(2011, 9, 14, 5, 25, 37));
    MakeFile(dir / "photos\\20100101_IMG_0002.jpg", UtcSeconds(2011, 9, 14, 17, 5, 8));
    MakeFile(dir / "single.jpg", UtcSeconds(2011, 9, 14));
    const int exit_code = test::RunProcess(
        tavrel, "\"" + tavrel + "\" \"" + dir / "photos" + "\" " + dir / "single.jpg");
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(Names(dir / "photos"), (std::vector<std::string>{"20110914-052536_IMG_0001.jpg",
                                                               "20110914-170508_IMG_0002.jpg"}));
    EXPECT_EQ(Names(dir.path()),
              (std::vector<std::string>{"20110914-000000_single.jpg", "photos", "program"}));
    EXPECT_EQ(ReadFile(dir / "program\\setup.ini"), "StampType:2\r\n");
}

TEST(TavrelExe, WithoutSettingsUsesTypeOneAndWritesNoFile) {
    TempDir dir;
    const std::string tavrel = CopyTavrel(dir);
    MakeFile(dir / "IMG_0001.jpg", UtcSeconds(2011, 9, 14, 5, 25, 37));
    EXPECT_EQ(test::RunProcess(tavrel, "Tavrel.exe " + dir / "IMG_0001.jpg"), 0);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"20110914_IMG_0001.jpg", "program"}));
    EXPECT_EQ(Names(dir / "program"), std::vector<std::string>{"Tavrel.exe"});
}

// A run kept in a journal below %LOCALAPPDATA%\Tavrel, and named back by a
// lone --undo; a second --undo finds nothing left.
TEST(TavrelExe, UndoNamesTheNewestRunBackFromItsJournal) {
    TempDir dir;
    const std::string tavrel = CopyTavrel(dir);
    MakeDirectory(dir / "photos");
    MakeFile(dir / "photos\\IMG_0001.jpg", UtcSeconds(2011, 9, 14, 5, 25, 37));
    ASSERT_TRUE(::SetEnvironmentVariableW(L"LOCALAPPDATA", win32::FromWtf8(dir / "local").c_str()));
    EXPECT_EQ(test::RunProcess(tavrel, "Tavrel.exe " + dir / "photos"), 0);
    EXPECT_EQ(Names(dir / "photos"), std::vector<std::string>{"20110914_IMG_0001.jpg"});
    EXPECT_EQ(Names(dir / "local\\Tavrel"), std::vector<std::string>{"run-0000000001.journal"});
    EXPECT_EQ(test::RunProcess(tavrel, "Tavrel.exe --undo"), 0);
    EXPECT_EQ(Names(dir / "photos"), std::vector<std::string>{"IMG_0001.jpg"});
    EXPECT_EQ(test::RunProcess(tavrel, "Tavrel.exe --undo"), 1);
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
}

// Paths written with forward slashes, as scripts and other shells write them:
// a file is renamed in its folder, a folder is walked.
TEST(TavrelExe, PathsWithForwardSlashesAreRenamed) {
    TempDir dir;
    const std::string tavrel = CopyTavrel(dir);
    MakeDirectory(dir / "photos");
    MakeFile(dir / "photos\\IMG_0001.jpg", UtcSeconds(2011, 9, 14, 5, 25, 37));
    MakeFile(dir / "single.jpg", UtcSeconds(2011, 9, 14));
    std::string forward = dir.path();
    for (char& c : forward)
        if (c == '\\') c = '/';
    EXPECT_EQ(
        test::RunProcess(tavrel, "Tavrel.exe " + forward + "/photos " + forward + "/single.jpg"),
        0);
    EXPECT_EQ(Names(dir / "photos"), std::vector<std::string>{"20110914_IMG_0001.jpg"});
    EXPECT_EQ(Names(dir.path()),
              (std::vector<std::string>{"20110914_single.jpg", "photos", "program"}));
}

// A tree whose paths run past MAX_PATH to 300-400 characters, one folder given
// with forward slashes and a "..": every file is walked and renamed, and two
// files that take the same new name keep apart with a collision tag.
TEST(TavrelExe, WalksAndRenamesATreeOfLongPaths) {
    TempDir dir;
    const std::string tavrel = CopyTavrel(dir);
    std::string folder = dir.path();
    std::vector<std::string> levels;
    for (const char* level : {"first level ", "second level ", "third level "}) {
        folder += "\\" + (level + std::string(90, 'x'));
        MakeDirectory(folder);
        levels.push_back(folder);
    }
    const std::string& second = levels[1];
    const std::string& third = levels[2];
    ASSERT_GT((third + "\\a.jpg").size(), 300u);
    MakeFile(second + "\\IMG 0001.jpg", UtcSeconds(2011, 9, 14, 5, 25, 37));
    MakeFile(third + "\\a.jpg", UtcSeconds(2011, 9, 14), "a");
    MakeFile(third + "\\20000101_a.jpg", UtcSeconds(2011, 9, 14), "b");
    std::string forward = levels[0] + "\\..\\" + levels[0].substr(dir.path().size() + 1);
    std::replace(forward.begin(), forward.end(), '\\', '/');
    EXPECT_EQ(test::RunProcess(tavrel, "Tavrel.exe \"" + forward + "\""), 0);
    EXPECT_EQ(Names(second),
              (std::vector<std::string>{"20110914_IMG 0001.jpg", third.substr(second.size() + 1)}));
    // The plain name first, then the tagged one.
    auto renamed = Names(third);
    ASSERT_EQ(renamed.size(), 2u);
    if (renamed[0].size() > renamed[1].size()) std::swap(renamed[0], renamed[1]);
    EXPECT_EQ(renamed[0], "20110914_a.jpg");
    EXPECT_EQ(renamed[1].rfind("20110914_a.", 0), 0u) << renamed[1];
}

// The version resource that the window title reads, and the manifest.
TEST(TavrelExe, CarriesItsVersionResourceAndManifest) {
    const std::wstring program = win32::FromWtf8(test::ProgramDirectory() + TAVREL_EXE);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, size, data.data()));
    auto text = [&](const wchar_t* key) -> std::string {
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data.data(), key, &value, &length)) return "<none>";
        return win32::ToWtf8(
            std::wstring(static_cast<const wchar_t*>(value), length > 0 ? length - 1 : 0));
    };
    EXPECT_EQ(text(L"\\StringFileInfo\\041103A4\\FileVersion"), TAVREL_VERSION);
    EXPECT_EQ(text(L"\\StringFileInfo\\041103A4\\ProductVersion"), "1.0.0.0");
    EXPECT_EQ(text(L"\\StringFileInfo\\041103A4\\CompanyName"), "");
    EXPECT_EQ(text(L"\\StringFileInfo\\041103A4\\ProductName"), "");
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 0x03A4);
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x0000000Du);

    HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const std::string manifest(
        static_cast<const char*>(::LockResource(::LoadResource(module, resource))),
        ::SizeofResource(module, resource));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    for (const char* setting :
         {">true</longPathAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>",
          ">true/pm</dpiAware>",
          // Windows 7, 8, 8.1, and 10 and 11.
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(setting), std::string::npos) << setting;
}

}  // namespace
}  // namespace tavrel
