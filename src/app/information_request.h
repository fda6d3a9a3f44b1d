#pragma once
// `tavrel --help`, `tavrel --version` and `tavrel --undo`: a command line that
// asks about the program, or for an undo, instead of naming files to rename.

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tavrel {

enum class InformationRequest { kNone, kUsage, kVersion, kUndo };

// kUsage when the only argument is exactly "--help", kVersion when it is exactly
// "--version", kUndo when it is exactly "--undo", and kNone otherwise. A file, folder or link of
// that name in the working folder wins: it is renamed like any other argument.
InformationRequest InformationRequestOf(const std::vector<std::string>& arguments,
                                        FileSystem& file_system);

// What --help prints: what Tavrel does, its arguments, the settings file's path
// and where the manual page is; lines end in LF.
std::string UsageText(const std::string& settings_path);

}  // namespace tavrel
