#pragma once
// The program's version text, read from the version record that the build
// embeds in the executable file (see version_record.cpp.in).

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// The section of the executable that holds the version record.
inline constexpr const char* kVersionSection = ".tavrel_version";
// The entry that the window title shows.
inline constexpr const char* kFileVersionKey = "\\StringFileInfo\\041103A4\\FileVersion";

// The value of one entry of a version record: the record starts with
// "TavrelVersionRecord" and a NUL, then holds NUL-terminated key and value
// texts, one after the other. Empty when the record is malformed or lacks the key.
std::optional<std::string> QueryVersionValue(std::string_view record, std::string_view key);

// The FileVersion text of the executable at the path. Raises
// AssertionFailure("Main", 327) when the version record cannot be read (also
// when the file has none), and AssertionFailure("Main", 329) when the record
// has no FileVersion entry.
std::string GetVersionString(const std::string& executable_path);

}  // namespace tavrel
