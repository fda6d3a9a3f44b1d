#pragma once
// The extended-length form of a path ("\\?\C:\..." or "\\?\UNC\server\share\..."),
// which the Win32 file calls accept up to about 32,767 characters instead of
// MAX_PATH (260). That form is taken literally: Windows neither makes it
// absolute, nor resolves "." and "..", nor reads "/" as a separator, so the
// conversion does all of that first.

#include <string>
#include <string_view>

namespace tavrel::win32 {

// The extended-length form of `path`, made absolute against `current_folder`
// (an absolute path, itself plain or extended):
// - "/" and "\" both separate; runs of separators count as one;
// - "." is dropped, ".." takes the name before it away, never the root;
// - a relative path ("a\b") continues the current folder, a rooted one ("\a")
//   starts at the current folder's drive or share, a drive-relative one
//   ("D:a") continues the current folder when that is on drive D and starts at
//   D's root otherwise;
// - a drive path gets "\\?\", a UNC path ("\\server\share\...") "\\?\UNC\";
// - a trailing separator stays; names are kept as they are (trailing dots and
//   spaces included, so that a name a listing gave is found again).
// A path already in "\\?\" form, another device path ("\\.\..."), and an empty
// path are returned unchanged, as is a relative path when the current folder
// is no absolute path.
std::wstring ExtendedLengthPath(std::wstring_view path, std::wstring_view current_folder);

// The same against the process's current folder; a drive-relative path on
// another drive continues that drive's current folder, as Windows' own
// conversion does.
std::wstring ExtendedLengthPath(std::wstring_view path);

}  // namespace tavrel::win32
