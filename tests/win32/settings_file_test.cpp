// setup.ini on Windows: beside the program, read with the byte-order-mark rules
// and otherwise in the ANSI code page (932 in the Japanese test prefix).

#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/process.h"
#include "platform/win32/code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/wtf8.h"
#include "windows_test_support.h"

namespace tavrel {
namespace {

using test::MakeFile;
using test::ReadFile;
using test::TempDir;

// A UTF-16 text as bytes, little- or big-endian, led by the byte-order mark.
std::string Utf16WithMark(const std::wstring& text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? high : low;
        bytes += big_endian ? low : high;
    }
    return bytes;
}

TEST(SettingsFile, LiesBesideTheProgram) {
    struct Case {
        const char* executable;
        const char* settings;
    } cases[] = {
        {"C:\\Tools\\Tavrel.exe", "C:\\Tools/setup.ini"},
        {"C:\\Tavrel.exe", "C:\\/setup.ini"},
        {"C:Tavrel.exe", "C:/setup.ini"},
        {"\\\\server\\share\\Tavrel.exe", "\\\\server\\share/setup.ini"},
        {"C:\\My Tools\\写真\\Tavrel.exe", "C:\\My Tools\\写真/setup.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFilePath(c.executable), c.settings) << c.executable;
    const std::string program = ExecutablePath();
    EXPECT_EQ(SettingsFilePath(program),
              program.substr(0, program.find_last_of('\\')) + "/setup.ini");
}

TEST(SettingsFile, IsReadInCodePage932WithoutAByteOrderMark) {
    ASSERT_EQ(::GetACP(), 932u) << "the test prefix runs with a Japanese locale";
    // "設定" and "表" in code page 932; the second byte of "表" is 0x5C, which
    // must not be read as a backslash.
    const std::string ansi = "; \x90\xDD\x92\xE8 \x95\x5C\r\nStampType:2\r\n";
    const std::string text = "; 設定 表\r\nStampType:2\r\n";
    const std::wstring wide = L"; \x8A2D\x5B9A \x8868\r\nStampType:2\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"AnsiCodePage", ansi, text},
        {"Utf8Mark", "\xEF\xBB\xBF; 設定 表\r\nStampType:2\r\n", text},
        {"Utf16LittleEndianMark", Utf16WithMark(wide, false), text},
        {"Utf16BigEndianMark", Utf16WithMark(wide, true), text},
        {"NulEndsTheText", std::string("StampType:1\0StampType:2", 24), "StampType:1"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeSettingsText(c.bytes), c.text) << c.name;
    EXPECT_EQ(StampTypeFromSettingsText(DecodeSettingsText(ansi)), 2);
}

TEST(SettingsFile, RoundTripsThroughTheFileSystem) {
    TempDir dir;
    win32::Win32FileSystem file_system;
    const std::string path = dir.path() + "/setup.ini";
    EXPECT_EQ(ReadSettingsFile(path, file_system), std::nullopt);  // no file: no value
    WriteSettingsFile(path, 0, file_system);
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:0\r\n");  // 13 bytes, ASCII
    WriteSettingsFile(path, -1, file_system);
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:-1\r\n");
    MakeFile(dir / "setup.ini", test::UtcSeconds(2011, 9, 14),
             win32::ToCodePage("; 日本語のメモ\r\nStampType:2\r\n", 932));
    EXPECT_EQ(ReadSettingsFile(path, file_system), 2);
    MakeFile(dir / "setup.ini", test::UtcSeconds(2011, 9, 14),
             Utf16WithMark(L"StampType:0\r\n", true));
    EXPECT_EQ(ReadSettingsFile(path, file_system), 0);
}

TEST(SettingsFile, UnwritableFileRaisesTheCreateError) {
    TempDir dir;
    win32::Win32FileSystem file_system;
    const std::string path = dir.path() + "/setup.ini";
    WriteSettingsFile(path, 1, file_system);
    ASSERT_TRUE(::SetFileAttributesW(win32::FromWtf8(path).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        WriteSettingsFile(path, 2, file_system);
        FAIL() << "no error";
    } catch (const FileCreateError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("ファイル \"" + path + "\" を作成できません。", 0), 0u) << message;
        EXPECT_GT(message.size(), ("ファイル \"" + path + "\" を作成できません。").size());
    }
    EXPECT_EQ(ReadFile(dir / "setup.ini"), "StampType:1\r\n");
}

}  // namespace
}  // namespace tavrel
