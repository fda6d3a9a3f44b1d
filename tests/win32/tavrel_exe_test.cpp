// Tavrel.exe itself in command-line mode: a copy of the program in a folder of
// its own, with or without a settings file beside it.

#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
}  // namespace tavrel
