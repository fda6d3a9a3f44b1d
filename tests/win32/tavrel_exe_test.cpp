// Tavrel.exe itself in command-line mode: a copy of the program in a folder of
// its own, with or without a settings file beside it.

#include <gtest/gtest.h>
#include <windows.h>

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
}

}  // namespace
}  // namespace tavrel
