#pragma once
// The program's version text, read from the version resource of the executable
// file.

#include <string>

namespace tavrel::win32 {

// The entry of the version resource that the window title shows.
inline constexpr const wchar_t* kFileVersionEntry = L"\\StringFileInfo\\041103A4\\FileVersion";

// The FileVersion text (UTF-8) of the executable at the path (UTF-8). Raises
// AssertionFailure("Main", 327) when the version information cannot be read
// (also when the file has none), and AssertionFailure("Main", 329) when it has
// no FileVersion entry in the string block 041103A4.
std::string GetVersionString(const std::string& executable_path);

}  // namespace tavrel::win32
