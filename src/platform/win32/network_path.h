#pragma once
// Whether a path lies on a network share, which decides the rename pass:
// each request there waits for a server, so reading the next files' times
// ahead on several threads pays.

#include <functional>
#include <string>
#include <string_view>

namespace tavrel::win32 {

// GetDriveTypeW's answer for a drive's root ("X:\").
using DriveTypeOf = std::function<unsigned(const std::wstring& root)>;

// True when `path`, made absolute against `current_folder` as the file calls
// get it (ExtendedLengthPath), lies on a share: a UNC path ("\\server\share\",
// "\\?\UNC\server\share\", "\\.\UNC\...") or a path on a drive for which
// `drive_type` says DRIVE_REMOTE (a mapped network drive). A relative path
// follows its current folder. Other device paths count as local.
bool IsOnNetworkDrive(std::wstring_view path, std::wstring_view current_folder,
                      const DriveTypeOf& drive_type);

// The same against the process's current folders, with GetDriveTypeW.
bool IsOnNetworkDrive(std::wstring_view path);

}  // namespace tavrel::win32
