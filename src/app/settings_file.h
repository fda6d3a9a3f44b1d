#pragma once
// The settings file "setup.ini" beside the executable (in the Linux package's
// build: in the user's configuration folder): a line "StampType:<n>", and a
// second line "DateTaken:1" while the date taken is on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "platform/file_system.h"

namespace tavrel {

// The settings file exists but could not be opened for reading.
class FileOpenError : public Error {
public:
    FileOpenError(const std::string& path, const std::string& reason,
                  const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "FileOpenError"; }
};

// The settings file could not be created or written.
class FileCreateError : public Error {
public:
    FileCreateError(const std::string& path, const std::string& reason,
                    const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "FileCreateError"; }
};

// The settings file's path: the executable's path cut after its last separator,
// that separator dropped unless another one stands before it, then
// "/setup.ini" ("C:\Tools\Tavrel.exe" gives "C:\Tools/setup.ini", "C:\Tavrel.exe"
// gives "C:\/setup.ini", "/usr/bin/tavrel" gives "/usr/bin/setup.ini").
std::string SettingsFilePath(const std::string& executable_path);

// The settings file's path in a build: "setup.ini" in the separate folder when
// the build keeps one (SeparateSettingsFolder), otherwise beside the program.
std::string SettingsFilePath(const std::string& executable_path,
                             const std::string& separate_folder);

// The file's text in UTF-8: a byte-order mark (FF FE, FE FF, EF BB BF) selects
// UTF-16 little-endian, UTF-16 big-endian or UTF-8 and is dropped; bytes without
// a mark are read in the ANSI code page (UTF-8 on Linux, GetACP() on Windows).
// The text ends at its first NUL.
std::string DecodeSettingsText(std::string_view bytes);

// How much of the settings file is read: lines beyond its first 64 KiB are not,
// so a file that never ends (a link to /dev/zero, a pipe) costs no more.
inline constexpr std::size_t kSettingsReadLimit = 64 * 1024;

// The text of a file's first bytes, as DecodeSettingsText gives it, taking at
// most `limit` of them. When there are more bytes than that (the file goes on),
// a last line cut short is dropped, so only whole lines are read.
std::string SettingsTextWithin(std::string_view bytes, std::size_t limit);

// Cuts a text into lines at CR LF, a lone CR and a lone LF; a break at the very
// end adds no empty line.
std::vector<std::string> SettingsLines(std::string_view text);

// The stamp type the text selects: the value of the last line whose first field
// (fields cut at ":") is exactly "StampType" and whose second field reads as an
// integer. Empty when no line does.
std::optional<int> StampTypeFromSettingsText(std::string_view text);

// Whether the text turns the date taken on: the value of the last line whose
// first field is exactly "DateTaken" and whose second field reads as an
// integer is 1. Lines are read as for the stamp type.
bool DateTakenFromSettingsText(std::string_view text);

// What the settings file stores.
struct StoredSettings {
    std::optional<int> stamp_type;  // empty when no line gives one
    bool date_taken = false;
};

// Reads the stored settings from the settings file's first kSettingsReadLimit
// bytes. Empty values when there is no file (or a directory) at the path.
// Raises FileOpenError when the file exists but cannot be read.
StoredSettings ReadStoredSettings(const std::string& path, FileSystem& file_system);

// Reads the stamp type from the settings file's first kSettingsReadLimit bytes.
// Empty when there is no file (or a directory) at the path or no usable line.
// Raises FileOpenError when the file exists but cannot be read.
std::optional<int> ReadSettingsFile(const std::string& path, FileSystem& file_system);

// Replaces the settings file with "StampType:" + the stamp type + CR LF, and
// "DateTaken:1" CR LF after it when the date taken is on; when the file is a
// symbolic link, the file it leads to gets the text and the link stays.
// Raises FileCreateError when it cannot be written (also when it exists but
// may not be written); the old file is then left intact.
void WriteSettingsFile(const std::string& path, int stamp_type, FileSystem& file_system,
                       bool date_taken = false);

}  // namespace tavrel
